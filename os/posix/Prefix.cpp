#include "os/posix/Prefix.h"

#include "os/posix/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

bool IsSet(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) == nullptr)
        return "/";
    return buffer.data();
}

std::string HomeDirectory()
{
    if (const char* home = secure_getenv("HOME"); IsSet(home))
        return home;
    struct passwd pw = {};
    struct passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        IsSet(result->pw_dir))
        return result->pw_dir;
    return "/";
}

} // namespace

std::string CPrefix::Choose(const char* zelqaPrefix, const char* xdgDataHome, const char* home, const std::string& cwd)
{
    if (IsSet(zelqaPrefix)) {
        std::string prefix = zelqaPrefix;
        if (prefix[0] != '/')
            prefix = cwd + "/" + prefix;
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.pop_back();
        return prefix;
    }
    if (IsSet(xdgDataHome) && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/zelqa";
    std::string base = IsSet(home) ? home : "/";
    if (base.back() == '/')
        base.pop_back();
    return base + "/.local/share/zelqa";
}

std::string CPrefix::Locate()
{
    const char* prefix = secure_getenv("ZELQA_PREFIX");
    const std::string cwd = IsSet(prefix) && prefix[0] != '/' ? CurrentDirectory() : std::string("/");
    const std::string home = HomeDirectory();
    return Choose(prefix, secure_getenv("XDG_DATA_HOME"), home.c_str(), cwd);
}

bool CPrefix::Initialise(const std::string& prefix, const std::string& login)
{
    const std::string driveC = prefix + "/drive_c";
    const std::string devices = prefix + "/dosdevices";
    MakeFolders(driveC);
    MakeFolders(devices);

    struct stat st = {};
    const bool hasC = lstat((devices + "/c:").c_str(), &st) == 0 || lstat((devices + "/C:").c_str(), &st) == 0;
    if (!hasC && symlink("../drive_c", (devices + "/c:").c_str()) != 0 && errno != EEXIST)
        return false;

    if (!login.empty() && login.find('/') == std::string::npos && login != "." && login != "..")
        MakeFolders(driveC + "/users/" + login + "/Desktop");
    return stat((devices + "/c:").c_str(), &st) == 0 || stat((devices + "/C:").c_str(), &st) == 0;
}

std::string CPrefix::LoginName()
{
    struct passwd pw = {};
    struct passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        IsSet(result->pw_name))
        return result->pw_name;
    if (const char* user = secure_getenv("USER"); IsSet(user))
        return user;
    return "user";
}

std::string CPrefix::RegistryRoot(const std::string& prefix)
{
    return prefix + "/registry/HKEY_LOCAL_MACHINE";
}

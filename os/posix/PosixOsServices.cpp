#include "os/posix/PosixOsServices.h"
#include "base/Utf8.h"

#include "os/posix/DriveMap.h"
#include "os/posix/DriveProbe.h"
#include "os/posix/FileDescriptor.h"
#include "os/IniReader.h"
#include "os/posix/BoundedRead.h"
#include "os/posix/Prefix.h"
#include "os/posix/ProcessLauncher.h"
#include "os/posix/RegistryStore.h"
#include "os/posix/WideText.h"
#include "os/posix/download/PosixDownload.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace
{

#if defined(ZELQA_TEST_HOOKS)
// Builds made for tests let the environment name the programs that open
// pages and pick folders; a shipped build never runs a program the
// environment names (as root with the caller's environment kept, that would
// be anybody's program). Not read at all in a set-id run.
void ReplaceFromEnvironment(std::string& program, const char* name)
{
    const char* value = secure_getenv(name);
    if (value != nullptr && value[0] != '\0')
        program = value;
}
#endif

std::string JoinHost(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// An absolute host path with symbolic links resolved as far as it exists.
std::string CanonicalHost(const std::string& path)
{
    std::string head = CDriveMap::NormaliseHostPath(path);
    std::string tail;
    for (;;) {
        char resolved[PATH_MAX];
        if (realpath(head.c_str(), resolved) != nullptr)
            return CDriveMap::NormaliseHostPath(std::string(resolved) + tail);
        if (head == "/")
            return CDriveMap::NormaliseHostPath(path);
        const size_t slash = head.find_last_of('/');
        tail = head.substr(slash) + tail;
        head = slash == 0 ? "/" : head.substr(0, slash);
    }
}

// True for a name ending in ".exe" in any letter case.
bool HasExeSuffix(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string suffix = name.substr(name.size() - 4);
    for (char& ch : suffix)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    return suffix == ".exe";
}

int32_t StartErrorToResult(int code)
{
    switch (code) {
    case 0:
        return ShellOpenResult::Success;
    case ENOENT:
        return ShellOpenResult::FileNotFound;
    case ENOTDIR:
        return ShellOpenResult::PathNotFound;
    case EACCES:
    case EPERM:
        return ShellOpenResult::AccessDenied;
    case ENOMEM:
    case E2BIG:
        return ShellOpenResult::OutOfMemory;
    case ENOEXEC:
        return ShellOpenResult::BadFormat;
    default:
        return ShellOpenResult::OutOfResources;
    }
}

} // namespace

CPosixOsServices::CPosixOsServices() : CPosixOsServices(Options())
{
}

CPosixOsServices::CPosixOsServices(Options options) : m_options(std::move(options))
{
    if (m_options.m_strPrefix.empty())
        m_options.m_strPrefix = CPrefix::Locate();
    if (m_options.m_strLogin.empty())
        m_options.m_strLogin = CPrefix::LoginName();
    if (m_options.m_strOpener.empty()) {
        m_options.m_strOpener = "xdg-open";
#if defined(ZELQA_TEST_HOOKS)
        ReplaceFromEnvironment(m_options.m_strOpener, "ZELQA_OPENER");
#endif
    }
    if (m_options.m_strFolderPicker.empty()) {
        m_options.m_strFolderPicker = "zenity";
#if defined(ZELQA_TEST_HOOKS)
        ReplaceFromEnvironment(m_options.m_strFolderPicker, "ZELQA_FOLDER_PICKER");
#endif
    }
    CPrefix::Initialise(m_options.m_strPrefix, m_options.m_strLogin);
}

bool CPosixOsServices::ToHostPath(const std::wstring& path, std::string& host) const
{
    wchar_t letter = 0;
    std::vector<std::wstring> names;
    if (!CDriveMap::SplitDrivePath(path, letter, names))
        return false;
    const CDriveMap map = CDriveMap::LoadDrive(m_options.m_strPrefix, letter);
    if (!map.HasDrive(letter))
        return false;

    std::string result = map.RootOf(letter);
    bool exists = true;
    for (const std::wstring& name : names) {
        std::string entry = ToUtf8(name);
        struct stat st = {};
        if (exists && lstat(JoinHost(result, entry).c_str(), &st) != 0) {
            const std::string match = FindEntryNoCase(result, name);
            if (match.empty())
                exists = false;
            else
                entry = match;
        }
        result = JoinHost(result, entry);
    }
    host = result;
    return true;
}

bool CPosixOsServices::DriveRootFolder(const std::wstring& root, std::string& host) const
{
    const wchar_t letter = CDriveMap::DriveLetterOf(root.substr(0, 2));
    if (letter == 0)
        return false;
    const CDriveMap map = CDriveMap::LoadDrive(m_options.m_strPrefix, letter);
    if (!map.HasDrive(letter))
        return false;
    host = map.RootOf(letter);
    return true;
}

bool CPosixOsServices::GetDesktopFolder(std::wstring& path)
{
    path = L"C:\\users\\" + FromUtf8(m_options.m_strLogin) + L"\\Desktop";
    return true;
}

bool CPosixOsServices::GetSystemDrive(std::wstring& drive)
{
    // The prefix always has C:, where the desktop and the programs live.
    drive = L"C:";
    return true;
}

DriveKind CPosixOsServices::GetDriveKind(const std::wstring& root)
{
    std::string host;
    if (!DriveRootFolder(root, host))
        return DriveKind::NoRootDir;
    return CDriveProbe(m_options.m_strMountInfo, m_options.m_strSysRoot).KindOfFolder(host);
}

bool CPosixOsServices::GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes)
{
    std::string host;
    return DriveRootFolder(root, host) && CDriveProbe::FreeBytesForCaller(host, bytes);
}

bool CPosixOsServices::ToNativePath(const std::wstring& path, NativePath& native)
{
    return ToHostPath(path, native);
}

bool CPosixOsServices::FromNativePath(const NativePath& native, std::wstring& path)
{
    if (native.empty() || native[0] != '/')
        return false;
    return CDriveMap::Load(m_options.m_strPrefix).FromHost(CanonicalHost(native), path);
}

bool CPosixOsServices::CreateFolder(const std::wstring& path)
{
    std::string host;
    if (!ToHostPath(path, host))
        return false;
    // Made private first, then given 0755 through a descriptor: whatever the
    // umask, a new folder (the download folder among them) is writable by
    // us alone, and nobody can slip anything into it in between.
    if (mkdir(host.c_str(), 0700) == 0) {
        CFileDescriptor fd(open(host.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat st = {};
        return fd.Get() >= 0 && fstat(fd.Get(), &st) == 0 && st.st_uid == geteuid() && fchmod(fd.Get(), 0755) == 0;
    }
    if (errno != EEXIST)
        return false;
    struct stat st = {};
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CPosixOsServices::PrepareDownloadFolder(const std::wstring& path)
{
    // Nothing here runs with more rights than the user: a folder already
    // there is kept, and the download refuses it unless it is the user's own.
    return IsDirectory(path) || CreateFolder(path);
}

bool CPosixOsServices::RemoveFile(const std::wstring& path)
{
    std::string host;
    struct stat st = {};
    if (!ToHostPath(path, host) || lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return unlink(host.c_str()) == 0;
}

bool CPosixOsServices::IsDirectory(const std::wstring& path)
{
    std::string host;
    struct stat st = {};
    return ToHostPath(path, host) && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CPosixOsServices::FileExists(const std::wstring& path)
{
    std::string host;
    struct stat st = {};
    return ToHostPath(path, host) && stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int32_t CPosixOsServices::ReadPrivateProfileInt(const std::wstring& section, const std::wstring& key,
                                                int32_t defaultValue, const std::wstring& file)
{
    // The platform follows a link to the file, so we do too; what it leads to
    // must still be a small regular file, or a FIFO or /dev/zero put there
    // would hang or swell the poller.
    std::string host;
    std::string bytes;
    if (!ToHostPath(file, host) || !ReadBoundedRegularFile(host, MAX_POLLED_FILE_BYTES, true, bytes))
        return defaultValue;
    return CIniReader::GetInt(CIniReader::Decode(bytes), section, key, defaultValue);
}

int32_t CPosixOsServices::OpenWithHandler(const std::string& target) const
{
    const std::string opener = CProcessLauncher::FindProgram(m_options.m_strOpener);
    if (opener.empty())
        return ShellOpenResult::NoAssociation;
    // Handed over only when the opener says so: an opener that fails (no
    // browser, no handler for the file) is a failed open, not a success the
    // caller would act on. One still busy after the wait has the page in hand.
    const int code = CProcessLauncher::SpawnWatched({opener, target}, m_options.m_openerWait);
    if (code == ENOMEM || code == EAGAIN)
        return StartErrorToResult(code);
    return code == 0 ? ShellOpenResult::Success : ShellOpenResult::NoAssociation;
}

int32_t CPosixOsServices::ShellOpen(const std::wstring& fileOrUrl)
{
    if (CProcessLauncher::LooksLikeUrl(fileOrUrl))
        return OpenWithHandler(ToUtf8(fileOrUrl));

    std::string host;
    if (!ToHostPath(fileOrUrl, host))
        return ShellOpenResult::PathNotFound;
    return OpenLocalFile(host);
}

int32_t CPosixOsServices::ShellOpenAsUser(const std::wstring& fileOrUrl)
{
    return ShellOpen(fileOrUrl);
}

bool CPosixOsServices::IsFromPublisher(const std::wstring&, const std::wstring&)
{
    // Linux programs carry no publisher's signature to check; what ShellOpen
    // starts is guarded by its checks of owner, rights and links instead.
    return true;
}

int32_t CPosixOsServices::OpenLocalFile(const std::string& host) const
{
    const size_t slash = host.find_last_of('/');
    const std::string folder = slash == 0 || slash == std::string::npos ? "/" : host.substr(0, slash);
    const std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    const bool exeName = HasExeSuffix(name);

    // The folder first, then the file inside that very folder: the checks
    // below are about what is opened, not about what the path names later.
    CFileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0)
        return errno == EACCES ? ShellOpenResult::AccessDenied : ShellOpenResult::PathNotFound;
    if (name.empty())
        return OpenWithHandler(folder);
    // Non-blocking, so a FIFO under the name can't hold us up.
    CFileDescriptor file(openat(dir.Get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ELOOP) {
            // A link may lead anywhere: a program is never started through
            // one. Anything else goes to the handler as before.
            return exeName ? ShellOpenResult::AccessDenied : OpenWithHandler(host);
        }
        if (errno == EACCES || errno == EPERM)
            return ShellOpenResult::AccessDenied;
        return errno == ENOENT ? ShellOpenResult::FileNotFound : ShellOpenResult::PathNotFound;
    }
    struct stat st = {};
    if (fstat(file.Get(), &st) != 0)
        return ShellOpenResult::AccessDenied;

    std::string head;
    if (S_ISREG(st.st_mode)) {
        head.resize(4);
        const ssize_t n = pread(file.Get(), head.data(), head.size(), 0);
        head.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    if (!S_ISREG(st.st_mode) || !CProcessLauncher::IsExecutableImage(head)) {
        // What is named as a program but is none for this system (a Windows
        // program, an error page saved as the download) fails as the
        // platform's bad-format answer; an opener would only show it as a
        // document and report success.
        if (exeName)
            return ShellOpenResult::BadFormat;
        return OpenWithHandler(host);
    }

    // Only a program nobody else could have changed is started: the file and
    // its folder belong to us or to root, and neither group nor others may
    // write them. Nothing is made executable here; a program without
    // execute permission is refused below by the system.
    struct stat folderStat = {};
    const auto trusted = [](const struct stat& s) {
        return (s.st_uid == geteuid() || s.st_uid == 0) && (s.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    };
    if (!trusted(st) || fstat(dir.Get(), &folderStat) != 0 || !trusted(folderStat))
        return ShellOpenResult::AccessDenied;

    // Started from the descriptor that was checked (fexecve), never by name,
    // so a file swapped in after the checks is not what runs. The other way,
    // comparing the path's device and inode just before exec, would still
    // leave a moment between that look and the exec.
    const bool isScript = head.compare(0, 2, "#!") == 0;
    // A file just written may still be open for writing in a child another
    // thread forked a moment ago (until that child execs); the kernel then
    // refuses to run it for a short while.
    int code = CProcessLauncher::SpawnDetachedImage(file.Get(), isScript, {host});
    for (int attempt = 0; code == ETXTBSY && attempt < 20; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        code = CProcessLauncher::SpawnDetachedImage(file.Get(), isScript, {host});
    }
    return StartErrorToResult(code);
}

bool CPosixOsServices::BrowseForFolder(const std::wstring& title, const std::wstring& startFolder, std::wstring& chosen)
{
    const std::string picker = CProcessLauncher::FindProgram(m_options.m_strFolderPicker);
    if (picker.empty())
        return false;
    std::vector<std::string> args = {picker, "--file-selection", "--directory", "--title=" + ToUtf8(title)};
    std::string start;
    if (!startFolder.empty() && ToHostPath(startFolder, start))
        args.push_back("--filename=" + JoinHost(start, ""));

    // Its answer is one line; more than a path could ever be is not read.
    constexpr size_t MAX_ANSWER_BYTES = 64 * 1024;
    std::string folder;
    if (CProcessLauncher::RunForLine(args, folder, MAX_ANSWER_BYTES) != 0)
        return false;
    std::wstring path;
    if (!FromNativePath(folder, path))
        return false;
    chosen = path;
    return true;
}

DownloadResult CPosixOsServices::DownloadToFile(const std::wstring& url, const std::wstring& path,
                                                IDownloadProgress* pProgress)
{
    std::string native;
    if (!ToNativePath(path, native))
        return DownloadResult::FileError;
    // libcurl keeps no cache between transfers, so there is no cached copy to purge first.
    return DownloadUrlToFile(ToUtf8(url), native, pProgress);
}

void CPosixOsServices::PrepareDownload()
{
    PrepareDownloadLibrary();
}

bool CPosixOsServices::StartThread(std::function<void()> body)
{
    if (!body)
        return false;
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (...) {
        return false;
    }
}

bool CPosixOsServices::RegEnsureKey(const std::wstring& key)
{
    return CRegistryStore(CPrefix::RegistryRoot(m_options.m_strPrefix)).EnsureKey(key);
}

bool CPosixOsServices::RegKeyExists(const std::wstring& key)
{
    return CRegistryStore(CPrefix::RegistryRoot(m_options.m_strPrefix)).KeyExists(key);
}

bool CPosixOsServices::RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                                     const std::vector<uint8_t>& data)
{
    return CRegistryStore(CPrefix::RegistryRoot(m_options.m_strPrefix))
        .WriteValue(key, name, static_cast<uint32_t>(type), data);
}

bool CPosixOsServices::RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                                    std::vector<uint8_t>& data)
{
    uint32_t stored = 0;
    if (!CRegistryStore(CPrefix::RegistryRoot(m_options.m_strPrefix)).ReadValue(key, name, stored, data))
        return false;
    type = static_cast<RegType>(stored);
    return true;
}

bool CPosixOsServices::RegRemoveValue(const std::wstring& key, const std::wstring& name)
{
    return CRegistryStore(CPrefix::RegistryRoot(m_options.m_strPrefix)).RemoveValue(key, name);
}

IOsServices& PlatformOsServices()
{
    // Never destroyed: detached worker threads may still call in while the process exits.
    static CPosixOsServices* const s_pServices = new CPosixOsServices();
    return *s_pServices;
}

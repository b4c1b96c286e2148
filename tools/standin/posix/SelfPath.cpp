#include "tools/standin/SelfPath.h"

#include <cstring>
#include <system_error>

std::filesystem::path CSelfPath::StartedAs(const char* pszArgv0)
{
    std::error_code error;
    // A path in argv[0] is the name we were started under; taken from the
    // starting directory, which we have not left yet.
    if (pszArgv0 != nullptr && strchr(pszArgv0, '/') != nullptr) {
        const std::filesystem::path path = std::filesystem::absolute(pszArgv0, error);
        if (!error)
            return path.lexically_normal();
    }
    // A bare name was found through PATH; the kernel knows the file.
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

#include "os/posix/Folders.h"

#include <cerrno>
#include <sys/stat.h>

bool FolderExists(const std::string& path)
{
    // A link to a folder counts: users move ~/.local/share or a prefix elsewhere and leave a link.
    struct stat st = {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(const std::string& path)
{
    if (FolderExists(path))
        return true;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
        return false;
    return (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) && FolderExists(path);
}

#pragma once

#include <cstdint>
#include <string>

// Starts a program with this process's own (elevated) rights only when
// nobody but SYSTEM, Administrators and TrustedInstaller could have changed
// it or the folder it runs from (CAdminOnlyRights): otherwise a standard user
// who may write there would run code as administrator. The file and its
// folder are checked through open handles, which hold them against writing,
// renaming and deleting until the program has been started from the very
// file that was checked.
class CAdminOnlyProgram
{
public:
    // Starts the program at strPath (a drive path) as the shell's "open"
    // does; returns a ShellOpenResult value. AccessDenied when the file or
    // its folder could be changed by others, is a link, or is busy being written.
    static int32_t Start(const std::wstring& strPath);
};

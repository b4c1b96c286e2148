#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder an elevated program puts a program to run in, made safe from
// other users: owned by Administrators, with a protected DACL that lets SYSTEM
// and Administrators change it and what it holds, and everyone else (the
// Users group) only read and run. A standard user may have made the folder
// beforehand, with rights of their own; Claim takes it back.
class CAdminFolder
{
public:
    // Gives the folder at strFolder (a drive path) the descriptor of
    // BuildDescriptor, replacing owner and DACL whoever set them. False, with
    // the folder left as it was, when it is missing, a drive's root, a link to
    // elsewhere, on a volume that keeps no ACLs, held open by someone with the
    // right to delete it, or when this process may not make Administrators
    // its owner (it is not elevated and holds no restore or take-ownership right).
    static bool Claim(const std::wstring& strFolder);

    // The self-relative security descriptor Claim gives a folder: owner
    // Administrators; DACL protected, allowing SYSTEM and Administrators full
    // control and Users read and execute, each inherited by files and folders.
    static bool BuildDescriptor(std::vector<uint8_t>& descriptor);
};

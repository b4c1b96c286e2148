#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder an elevated program downloads a program into, made new for
// every attempt so that nothing found there (a planted DLL, a planted
// subfolder or junction, a handle opened earlier, a part file a hard exit
// left) is ever used. What is already at that name is dealt with as itself,
// never through a link, and moved aside under a new name in the same parent
// folder; one of our own (our descriptor, holding only what earlier attempts
// leave, each entry changeable only by administrators) is then deleted,
// anything else stays there whole. The new folder is created with
// CAdminFolder's descriptor in the same call, so it never has inherited rights.
class CFreshFolder
{
public:
    // Makes strFolder (a drive path, not a drive's root) anew. False when
    // what is there can be neither removed nor moved aside, when the name is
    // taken again before the new folder is made, or when it can't be made
    // with its descriptor (this process is not elevated). `pMovedAside`, when
    // given, receives where an earlier folder was moved and left, or stays
    // empty when there was none or it was ours and is gone.
    static bool Make(const std::wstring& strFolder, std::wstring* pMovedAside = nullptr);

    // True when `descriptor` (self-relative, with owner and DACL) is exactly
    // what Make gives a folder: owner Administrators, a protected DACL of
    // CAdminFolder's three ACEs and nothing else.
    static bool IsOwnDescriptor(const std::vector<uint8_t>& descriptor);

    // True for the names of what one attempt leaves in the folder: the
    // download, a part file of it, and the full installer's "Zelqa" folder.
    static bool IsLeftoverName(const std::wstring& strName, bool bFolder);
};

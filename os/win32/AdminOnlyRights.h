#pragma once

#include <cstdint>
#include <vector>

// Whether anyone but the system's own accounts could change a file or
// folder: the test for what an elevated program may run or delete. Trusted
// are SYSTEM, Administrators and TrustedInstaller; the owner must be one of
// them (an owner may always rewrite the access list), and no ACE that
// applies to the object itself may give anyone else a right that writes,
// appends, adds entries, deletes, or changes attributes, access or owner.
class CAdminOnlyRights
{
public:
    // `descriptor` is a self-relative security descriptor with owner and DACL.
    // False for a missing or null DACL (everyone may do anything) and for an
    // allowing ACE of a kind it does not know.
    static bool IsChangeableOnlyByAdmins(const std::vector<uint8_t>& descriptor);

    // The owner and DACL of an open file or folder (a HANDLE opened with
    // READ_CONTROL), self-relative; false when they can't be read.
    static bool ReadSecurity(void* hFile, std::vector<uint8_t>& descriptor);
};

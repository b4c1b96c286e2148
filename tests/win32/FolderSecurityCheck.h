#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the tests read back of a file's security, and how they judge it.
// Wine keeps no owner or ACL of a file: it maps a DACL set on a file to the
// Unix mode bits and makes the descriptor it reports up from them (owner the
// current user, ACEs for SYSTEM, that user and Everyone). What a folder claim
// sets shows there only as Everyone's rights.

// True under Wine, whose file descriptors are made up as above.
bool IsUnderWine();

std::vector<uint8_t> WellKnownSid(WELL_KNOWN_SID_TYPE eType);

struct CAceView
{
    BYTE m_nType;
    BYTE m_nFlags;
    DWORD m_dwMask;
    std::vector<uint8_t> m_sid;

    bool operator==(const CAceView&) const = default;
};

// A file's or folder's owner, control bits and DACL as GetNamedSecurityInfoW reports them.
struct CFileSecurity
{
    std::vector<uint8_t> m_owner;
    SECURITY_DESCRIPTOR_CONTROL m_control = 0;
    bool m_bHasDacl = false;
    std::vector<CAceView> m_aces;
};

bool ReadFileSecurity(const std::wstring& path, CFileSecurity& security);
std::vector<CAceView> AcesOf(const ACL* pAcl);

// Sets a DACL, as SDDL, on a file or folder, as someone else might have.
bool SetDaclFromSddl(const std::wstring& path, const wchar_t* pszSddl);

// True when an ACE lets Everyone do more than read and execute.
bool EveryoneMayChange(const std::wstring& path);

// Checks a folder against the descriptor a claim gives it: all of it on
// Windows, Everyone's rights under Wine.
void ExpectAdminFolder(const std::wstring& folder);

#include "os/win32/AdminOnlyRights.h"

#include <windows.h>

namespace
{

// Everything that changes an object or who may use it. On a folder the
// write and append bits are the rights to add files and subfolders, which
// would let someone put a DLL beside a program.
constexpr DWORD CHANGE_RIGHTS = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                                MAXIMUM_ALLOWED;

bool IsWellKnown(PSID pSid, WELL_KNOWN_SID_TYPE eType)
{
    return IsWellKnownSid(pSid, eType) != FALSE;
}

// NT SERVICE\TrustedInstaller, which owns and may change the system's files.
bool IsTrustedInstaller(PSID pSid)
{
    static const DWORD s_subAuthorities[] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!IsValidSid(pSid) || *GetSidSubAuthorityCount(pSid) != 6 ||
        memcmp(GetSidIdentifierAuthority(pSid), &ntAuthority, sizeof(ntAuthority)) != 0)
        return false;
    for (DWORD i = 0; i < 6; ++i)
        if (*GetSidSubAuthority(pSid, i) != s_subAuthorities[i])
            return false;
    return true;
}

bool IsTrusted(PSID pSid)
{
    return pSid && IsValidSid(pSid) &&
           (IsWellKnown(pSid, WinLocalSystemSid) || IsWellKnown(pSid, WinBuiltinAdministratorsSid) ||
            IsTrustedInstaller(pSid));
}

} // namespace

bool CAdminOnlyRights::IsChangeableOnlyByAdmins(const std::vector<uint8_t>& descriptor)
{
    if (descriptor.empty())
        return false;
    PSECURITY_DESCRIPTOR pDescriptor = const_cast<uint8_t*>(descriptor.data());
    if (!IsValidSecurityDescriptor(pDescriptor))
        return false;
    PSID pOwner = nullptr;
    BOOL bDefaulted = FALSE;
    if (!GetSecurityDescriptorOwner(pDescriptor, &pOwner, &bDefaulted) || !IsTrusted(pOwner))
        return false;
    BOOL bPresent = FALSE;
    PACL pDacl = nullptr;
    if (!GetSecurityDescriptorDacl(pDescriptor, &bPresent, &pDacl, &bDefaulted) || !bPresent || !pDacl)
        return false;
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        void* pAce = nullptr;
        if (!GetAce(pDacl, i, &pAce))
            return false;
        const auto* pHeader = static_cast<const ACE_HEADER*>(pAce);
        // Kept for what is made inside later, not for the object itself.
        if ((pHeader->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        if (pHeader->AceType == ACCESS_DENIED_ACE_TYPE || pHeader->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE ||
            pHeader->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE)
            continue;
        if (pHeader->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        const auto* pAllowed = static_cast<const ACCESS_ALLOWED_ACE*>(pAce);
        PSID pSid = const_cast<DWORD*>(&pAllowed->SidStart);
        if ((pAllowed->Mask & CHANGE_RIGHTS) == 0)
            continue;
        // OWNER RIGHTS stands for the owner, already found trusted.
        if (!IsTrusted(pSid) && !IsWellKnown(pSid, WinCreatorOwnerRightsSid))
            return false;
    }
    return true;
}

bool CAdminOnlyRights::ReadSecurity(void* hFile, std::vector<uint8_t>& descriptor)
{
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD cbNeeded = 0;
    GetKernelObjectSecurity(hFile, what, nullptr, 0, &cbNeeded);
    if (cbNeeded == 0)
        return false;
    descriptor.assign(cbNeeded, 0);
    if (!GetKernelObjectSecurity(hFile, what, descriptor.data(), cbNeeded, &cbNeeded)) {
        descriptor.clear();
        return false;
    }
    return true;
}

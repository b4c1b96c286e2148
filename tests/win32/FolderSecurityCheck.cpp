#include "FolderSecurityCheck.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

namespace
{
// Read and execute, nothing that changes the file or its security.
constexpr DWORD READ_EXECUTE_MASK = 0x1200A9;
constexpr DWORD FULL_CONTROL_MASK = 0x1F01FF;
} // namespace

bool IsUnderWine()
{
    const HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version") != nullptr;
}

std::vector<uint8_t> WellKnownSid(WELL_KNOWN_SID_TYPE eType)
{
    std::vector<uint8_t> sid(SECURITY_MAX_SID_SIZE);
    DWORD cbSid = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(eType, nullptr, sid.data(), &cbSid))
        return {};
    sid.resize(cbSid);
    return sid;
}

std::vector<CAceView> AcesOf(const ACL* pAcl)
{
    std::vector<CAceView> aces;
    if (!pAcl)
        return aces;
    for (DWORD i = 0; i < pAcl->AceCount; ++i) {
        void* pAce = nullptr;
        if (!GetAce(const_cast<ACL*>(pAcl), i, &pAce))
            break;
        const auto* pHeader = static_cast<const ACE_HEADER*>(pAce);
        CAceView view{pHeader->AceType, pHeader->AceFlags, 0, {}};
        // Allowed and denied ACEs share one layout.
        if (pHeader->AceType == ACCESS_ALLOWED_ACE_TYPE || pHeader->AceType == ACCESS_DENIED_ACE_TYPE) {
            const auto* pAllowed = static_cast<const ACCESS_ALLOWED_ACE*>(pAce);
            view.m_dwMask = pAllowed->Mask;
            const auto* pSid = reinterpret_cast<const uint8_t*>(&pAllowed->SidStart);
            view.m_sid.assign(pSid, pSid + GetLengthSid(const_cast<uint8_t*>(pSid)));
        }
        aces.push_back(view);
    }
    return aces;
}

bool ReadFileSecurity(const std::wstring& path, CFileSecurity& security)
{
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &pOwner, nullptr, &pDacl, nullptr, &pDescriptor) != ERROR_SUCCESS)
        return false;
    DWORD dwRevision = 0;
    GetSecurityDescriptorControl(pDescriptor, &security.m_control, &dwRevision);
    security.m_owner.clear();
    if (pOwner) {
        const auto* pSid = static_cast<const uint8_t*>(pOwner);
        security.m_owner.assign(pSid, pSid + GetLengthSid(pOwner));
    }
    security.m_bHasDacl = pDacl != nullptr;
    security.m_aces = AcesOf(pDacl);
    LocalFree(pDescriptor);
    return true;
}

bool SetDaclFromSddl(const std::wstring& path, const wchar_t* pszSddl)
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(pszSddl, SDDL_REVISION_1, &pDescriptor, nullptr))
        return false;
    const bool bOk = SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, pDescriptor) != FALSE;
    LocalFree(pDescriptor);
    return bOk;
}

bool EveryoneMayChange(const std::wstring& path)
{
    CFileSecurity security;
    if (!ReadFileSecurity(path, security))
        return false;
    // No DACL at all lets everyone do anything.
    if (!security.m_bHasDacl)
        return true;
    const std::vector<uint8_t> everyone = WellKnownSid(WinWorldSid);
    for (const CAceView& ace : security.m_aces)
        if (ace.m_nType == ACCESS_ALLOWED_ACE_TYPE && ace.m_sid == everyone && (ace.m_dwMask & ~READ_EXECUTE_MASK) != 0)
            return true;
    return false;
}

void ExpectAdminFolder(const std::wstring& folder)
{
    CFileSecurity security;
    ASSERT_TRUE(ReadFileSecurity(folder, security)) << "no descriptor for the folder";
    EXPECT_FALSE(EveryoneMayChange(folder)) << "Everyone may still change the folder";
    if (IsUnderWine())
        return;

    const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    EXPECT_EQ(security.m_owner, WellKnownSid(WinBuiltinAdministratorsSid)) << "owner is not Administrators";
    EXPECT_NE(security.m_control & SE_DACL_PROTECTED, 0) << "DACL not protected";
    ASSERT_TRUE(security.m_bHasDacl);
    const std::vector<CAceView> expected{
        {ACCESS_ALLOWED_ACE_TYPE, inherited, FULL_CONTROL_MASK, WellKnownSid(WinLocalSystemSid)},
        {ACCESS_ALLOWED_ACE_TYPE, inherited, FULL_CONTROL_MASK, WellKnownSid(WinBuiltinAdministratorsSid)},
        {ACCESS_ALLOWED_ACE_TYPE, inherited, READ_EXECUTE_MASK, WellKnownSid(WinBuiltinUsersSid)},
    };
    EXPECT_TRUE(security.m_aces == expected) << "the folder's ACEs are not the three designed";

    // What is made in it afterwards takes the same rights, marked inherited.
    const std::wstring file = folder + L"\\made-after-claim.txt";
    const HANDLE hFile =
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    CloseHandle(hFile);
    CFileSecurity fileSecurity;
    ASSERT_TRUE(ReadFileSecurity(file, fileSecurity));
    DeleteFileW(file.c_str());
    ASSERT_EQ(fileSecurity.m_aces.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(fileSecurity.m_aces[i].m_sid, expected[i].m_sid);
        EXPECT_EQ(fileSecurity.m_aces[i].m_dwMask, expected[i].m_dwMask);
        EXPECT_NE(fileSecurity.m_aces[i].m_nFlags & INHERITED_ACE, 0);
    }
}

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "os/win32/AdminFolder.h"
#include "os/win32/AdminOnlyRights.h"
#include "os/win32/FreshFolder.h"

namespace
{

std::vector<uint8_t> FromSddl(const wchar_t* pszSddl)
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ULONG cbDescriptor = 0;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(pszSddl, SDDL_REVISION_1, &pDescriptor, &cbDescriptor))
        return {};
    const auto* pBytes = static_cast<const uint8_t*>(pDescriptor);
    std::vector<uint8_t> descriptor(pBytes, pBytes + cbDescriptor);
    LocalFree(pDescriptor);
    return descriptor;
}

bool AdminsOnly(const wchar_t* pszSddl)
{
    const std::vector<uint8_t> descriptor = FromSddl(pszSddl);
    EXPECT_FALSE(descriptor.empty()) << "bad SDDL " << pszSddl;
    return CAdminOnlyRights::IsChangeableOnlyByAdmins(descriptor);
}

// Owner Administrators, and a DACL that is there but null.
std::vector<uint8_t> WithNullDacl()
{
    std::vector<uint8_t> admins(SECURITY_MAX_SID_SIZE);
    DWORD cbSid = static_cast<DWORD>(admins.size());
    SECURITY_DESCRIPTOR sd;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins.data(), &cbSid) ||
        !InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&sd, admins.data(), FALSE) || !SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE))
        return {};
    DWORD cbDescriptor = 0;
    MakeSelfRelativeSD(&sd, nullptr, &cbDescriptor);
    std::vector<uint8_t> descriptor(cbDescriptor);
    if (cbDescriptor == 0 || !MakeSelfRelativeSD(&sd, descriptor.data(), &cbDescriptor))
        return {};
    return descriptor;
}

// TrustedInstaller, and what a folder made by an elevated installer under
// Program Files inherits (trimmed to the ACEs that matter).
#define TI L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
#define PROGRAM_FILES_DACL                                                                                             \
    L"D:AI(A;ID;FA;;;" TI L")(A;OICIIOID;GA;;;CO)(A;ID;FA;;;SY)(A;OICIIOID;GA;;;SY)(A;ID;FA;;;BA)"                     \
    L"(A;OICIIOID;GA;;;BA)(A;ID;0x1200a9;;;BU)(A;OICIIOID;GXGR;;;BU)(A;ID;0x1200a9;;;AC)"

} // namespace

TEST(AdminOnlyRights, WhatAnInstallerLeavesUnderProgramFilesPasses)
{
    EXPECT_TRUE(AdminsOnly(L"O:BA" PROGRAM_FILES_DACL));
    EXPECT_TRUE(AdminsOnly(L"O:SY" PROGRAM_FILES_DACL));
    EXPECT_TRUE(AdminsOnly(L"O:" TI PROGRAM_FILES_DACL));
    std::vector<uint8_t> own;
    ASSERT_TRUE(CAdminFolder::BuildDescriptor(own));
    EXPECT_TRUE(CAdminOnlyRights::IsChangeableOnlyByAdmins(own));
    // Refusing anyone anything takes nothing away.
    EXPECT_TRUE(AdminsOnly(L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)(A;;0x1200a9;;;BU)"));
}

TEST(AdminOnlyRights, AnyoneElseWhoMayChangeItOrAddToItFails)
{
    // A non-system drive's root hands Authenticated Users "Modify" down.
    EXPECT_FALSE(AdminsOnly(L"O:BAD:(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1301bf;;;AU)"));
    // An owner may always rewrite the access list.
    EXPECT_FALSE(AdminsOnly(L"O:S-1-5-21-1-2-3-1001" PROGRAM_FILES_DACL));
    // Each right on its own is enough to plant or swap something.
    for (const wchar_t* pszRight :
         {L"0x2", L"0x4", L"0x10", L"0x40", L"0x100", L"0x10000", L"0x40000", L"0x80000", L"GW", L"GA"}) {
        const std::wstring sddl = std::wstring(L"O:BAD:(A;;FA;;;BA)(A;;") + pszRight + L";;;BU)";
        EXPECT_FALSE(AdminsOnly(sddl.c_str())) << pszRight;
    }
    EXPECT_FALSE(AdminsOnly(L"O:BAD:(A;;FA;;;BA)(A;;FA;;;WD)"));
    // Only inherit-only ACEs are passed over: CREATOR OWNER on the object itself is not.
    EXPECT_FALSE(AdminsOnly(L"O:BAD:(A;;FA;;;BA)(A;;FA;;;CO)"));
    // No DACL at all lets everyone in; an empty one lets no one in.
    EXPECT_FALSE(CAdminOnlyRights::IsChangeableOnlyByAdmins(WithNullDacl()));
    EXPECT_TRUE(AdminsOnly(L"O:BAD:"));
    EXPECT_FALSE(CAdminOnlyRights::IsChangeableOnlyByAdmins({}));
}

TEST(FreshFolderDescriptor, OnlyExactlyOurDescriptorIsOurs)
{
    std::vector<uint8_t> own;
    ASSERT_TRUE(CAdminFolder::BuildDescriptor(own));
    EXPECT_TRUE(CFreshFolder::IsOwnDescriptor(own));
    const wchar_t* const OURS = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
    EXPECT_TRUE(CFreshFolder::IsOwnDescriptor(FromSddl(OURS)));

    for (const wchar_t* pszOther : {
             L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)",                        // not protected
             L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)",                       // another owner
             L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;WD)", // one more
             L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",                                             // one fewer
             L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)",                       // Users modify
             L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)",                       // another order
         })
        EXPECT_FALSE(CFreshFolder::IsOwnDescriptor(FromSddl(pszOther))) << pszOther;
}

TEST(FreshFolderDescriptor, LeftoverNames)
{
    EXPECT_TRUE(CFreshFolder::IsLeftoverName(L"ZELQACONVERT.exe", false));
    EXPECT_TRUE(CFreshFolder::IsLeftoverName(L"zelqaconvert.EXE", false));
    EXPECT_TRUE(CFreshFolder::IsLeftoverName(L"ZELQACONVERT.exe.0badc0de.part", false));
    EXPECT_TRUE(CFreshFolder::IsLeftoverName(L"Zelqa", true));
    for (const wchar_t* pszName :
         {L"version.dll", L"ZELQACONVERT.exe.part", L"ZELQACONVERT.exe.0badc0dx.part",
          L"ZELQACONVERT.exe.0badc0de.part.dll", L"ZELQACONVERT.exe.0badc0de0.part", L"Zelqa", L"ZELQACONVERT"})
        EXPECT_FALSE(CFreshFolder::IsLeftoverName(pszName, false)) << pszName;
    EXPECT_FALSE(CFreshFolder::IsOwnDescriptor(WithNullDacl()));
    EXPECT_FALSE(CFreshFolder::IsLeftoverName(L"ZELQACONVERT.exe", true)) << "a folder of the program's name";
    EXPECT_FALSE(CFreshFolder::IsLeftoverName(L"Other", true));
}

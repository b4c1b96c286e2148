#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/win32/AdminFolder.h"
#include "FolderSecurityCheck.h"
#include "WinTestFolder.h"

namespace
{

// Enabled privileges of the process's own token, by name.
std::vector<std::wstring> EnabledProcessPrivileges()
{
    std::vector<std::wstring> names;
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return names;
    DWORD cbNeeded = 0;
    GetTokenInformation(hToken, TokenPrivileges, nullptr, 0, &cbNeeded);
    std::vector<DWORD> buffer(cbNeeded / sizeof(DWORD) + 1);
    if (GetTokenInformation(hToken, TokenPrivileges, buffer.data(), cbNeeded, &cbNeeded)) {
        const auto* pPrivileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < pPrivileges->PrivilegeCount; ++i) {
            if ((pPrivileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) == 0)
                continue;
            wchar_t szName[128] = {};
            DWORD cchName = 128;
            LUID luid = pPrivileges->Privileges[i].Luid;
            if (LookupPrivilegeNameW(nullptr, &luid, szName, &cchName))
                names.push_back(szName);
        }
    }
    CloseHandle(hToken);
    return names;
}

// Makes `link` a junction to `target`; false where the system makes none.
bool MakeJunction(const std::wstring& link, const std::wstring& target)
{
    if (!CreateDirectoryW(link.c_str(), nullptr))
        return false;
    const HANDLE hLink = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hLink == INVALID_HANDLE_VALUE)
        return false;
    // A mount-point reparse buffer: tag, sizes, then substitute and print names.
    const std::wstring substitute = L"\\??\\" + target;
    const WORD cbSubstitute = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(8 + 8 + cbSubstitute + 2 * sizeof(wchar_t), 0);
    const DWORD dwTag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD cbData = static_cast<WORD>(buffer.size() - 8);
    const WORD header[4] = {0, cbSubstitute, static_cast<WORD>(cbSubstitute + sizeof(wchar_t)), 0};
    memcpy(buffer.data(), &dwTag, 4);
    memcpy(buffer.data() + 4, &cbData, 2);
    memcpy(buffer.data() + 8, header, sizeof(header));
    memcpy(buffer.data() + 16, substitute.data(), cbSubstitute);
    DWORD cbReturned = 0;
    const bool bOk = DeviceIoControl(hLink, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                     nullptr, 0, &cbReturned, nullptr) != FALSE;
    CloseHandle(hLink);
    return bOk && (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

class AdminFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(m_folder.Path().empty()); }

    CWinTestFolder m_folder;
};

} // namespace

TEST(AdminFolderDescriptor, OwnedByAdministratorsOthersOnlyReadAndRun)
{
    std::vector<uint8_t> descriptor;
    ASSERT_TRUE(CAdminFolder::BuildDescriptor(descriptor));
    PSECURITY_DESCRIPTOR pDescriptor = descriptor.data();
    ASSERT_TRUE(IsValidSecurityDescriptor(pDescriptor));

    PSID pOwner = nullptr;
    BOOL bDefaulted = TRUE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(pDescriptor, &pOwner, &bDefaulted));
    ASSERT_NE(pOwner, nullptr);
    const auto* pOwnerBytes = static_cast<const uint8_t*>(pOwner);
    EXPECT_EQ(std::vector<uint8_t>(pOwnerBytes, pOwnerBytes + GetLengthSid(pOwner)),
              WellKnownSid(WinBuiltinAdministratorsSid));
    EXPECT_FALSE(bDefaulted);

    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(pDescriptor, &control, &dwRevision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "the parent's ACEs would flow in";

    BOOL bPresent = FALSE;
    PACL pDacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(pDescriptor, &bPresent, &pDacl, &bDefaulted));
    ASSERT_TRUE(bPresent);
    ASSERT_NE(pDacl, nullptr) << "a null DACL lets everyone in";
    const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const std::vector<CAceView> expected{
        {ACCESS_ALLOWED_ACE_TYPE, inherited, 0x1F01FF, WellKnownSid(WinLocalSystemSid)},
        {ACCESS_ALLOWED_ACE_TYPE, inherited, 0x1F01FF, WellKnownSid(WinBuiltinAdministratorsSid)},
        {ACCESS_ALLOWED_ACE_TYPE, inherited, 0x1200A9, WellKnownSid(WinBuiltinUsersSid)},
    };
    EXPECT_TRUE(AcesOf(pDacl) == expected);
}

TEST_F(AdminFolderTest, FolderSomeoneOpenedToEveryoneIsTakenBack)
{
    const std::wstring folder = m_folder / L"brovix";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    // As a standard user could leave it: protected, everyone may do anything.
    ASSERT_TRUE(SetDaclFromSddl(folder, L"D:P(A;OICI;FA;;;WD)"));
    ASSERT_TRUE(EveryoneMayChange(folder)) << "the test's starting point did not take";

    ASSERT_TRUE(CAdminFolder::Claim(folder));
    ExpectAdminFolder(folder);
}

TEST_F(AdminFolderTest, NewFolderIsClaimed)
{
    const std::wstring folder = m_folder / L"brovix";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CAdminFolder::Claim(folder));
    ExpectAdminFolder(folder);
    EXPECT_TRUE(CAdminFolder::Claim(folder)) << "a folder already ours is claimed again";
    ExpectAdminFolder(folder);
}

TEST_F(AdminFolderTest, FolderHeldOpenWithDeleteRightIsRefused)
{
    // Such a handle, opened before the claim, would still rename the folder after it.
    const std::wstring folder = m_folder / L"brovix";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const HANDLE hOther = CreateFileW(folder.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(hOther, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CAdminFolder::Claim(folder));
    CloseHandle(hOther);
    EXPECT_TRUE(CAdminFolder::Claim(folder));
}

TEST_F(AdminFolderTest, OnlyAFolderOfItsOwnIsClaimed)
{
    EXPECT_FALSE(CAdminFolder::Claim(L""));
    EXPECT_FALSE(CAdminFolder::Claim(m_folder / L"missing"));
    const std::wstring file = m_folder / L"brovix";
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "not a folder"));
    EXPECT_FALSE(CAdminFolder::Claim(file));

    // A drive's root, however it is spelt, is left as it is.
    CFileSecurity before;
    ASSERT_TRUE(ReadFileSecurity(L"C:\\", before));
    for (const wchar_t* pszRoot : {L"C:\\", L"c:\\.", L"C:\\Windows\\.."})
        EXPECT_FALSE(CAdminFolder::Claim(pszRoot)) << pszRoot;
    CFileSecurity after;
    ASSERT_TRUE(ReadFileSecurity(L"C:\\", after));
    EXPECT_EQ(after.m_owner, before.m_owner);
    EXPECT_TRUE(after.m_aces == before.m_aces);
}

TEST_F(AdminFolderTest, JunctionIsNotFollowed)
{
    const std::wstring target = m_folder / L"elsewhere";
    const std::wstring link = m_folder / L"brovix";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(SetDaclFromSddl(target, L"D:P(A;OICI;FA;;;WD)"));
    if (!MakeJunction(link, target))
        GTEST_SKIP() << "this system makes no junctions (Wine 8 does not)";
    EXPECT_FALSE(CAdminFolder::Claim(link));
    EXPECT_TRUE(EveryoneMayChange(target)) << "the claim went through the junction";
    RemoveDirectoryW(link.c_str());
}

TEST_F(AdminFolderTest, RightsAreSwitchedOnlyForTheClaim)
{
    const std::wstring folder = m_folder / L"brovix";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<std::wstring> before = EnabledProcessPrivileges();
    ASSERT_TRUE(CAdminFolder::Claim(folder));
    EXPECT_EQ(EnabledProcessPrivileges(), before);
    HANDLE hToken = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &hToken)) << "the thread still impersonates";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
    if (hToken)
        CloseHandle(hToken);
}

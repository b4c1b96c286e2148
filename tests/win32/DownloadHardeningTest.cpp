#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "os/win32/Win32OsServices.h"
#include "FolderSecurityCheck.h"
#include "LaunchProbe.h"
#include "VendorHosts.h"
#include "WinTestFolder.h"

namespace
{

// Neither deleted nor opened for writing, as a swap would need.
void ExpectHeld(const std::wstring& path)
{
    const BOOL bDeleted = DeleteFileW(path.c_str());
    EXPECT_FALSE(bDeleted) << "deleted while held";
    const HANDLE hWrite =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(hWrite, INVALID_HANDLE_VALUE) << "opened for writing while held";
    if (hWrite != INVALID_HANDLE_VALUE)
        CloseHandle(hWrite);
}

bool OpensForWriting(const std::wstring& path)
{
    const HANDLE hWrite =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hWrite == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hWrite);
    return true;
}

class DownloadHardeningTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strError;
        ASSERT_TRUE(m_hosts.Load(strError)) << strError;
        ASSERT_FALSE(m_folder.Path().empty());
        m_strTarget = m_folder / L"ZELQACONVERT.exe";
        m_pServices = std::make_unique<CWin32OsServices>();
    }

    CVendorHosts m_hosts;
    CWinTestFolder m_folder;
    std::wstring m_strTarget;
    std::unique_ptr<CWin32OsServices> m_pServices;
};

} // namespace

TEST_F(DownloadHardeningTest, DownloadedProgramIsHeldUntilTheShellHasStartedIt)
{
    ASSERT_NE(m_hosts.Port("probe"), 0) << "no vendor host serves the launch probe";
    ASSERT_EQ(m_pServices->DownloadToFile(m_hosts.DownloadUrl("probe"), m_strTarget, nullptr), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_hosts.Payload("probe"));
    ExpectHeld(m_strTarget);

    CLaunchProbe started(m_folder.Path());
    EXPECT_GT(m_pServices->ShellOpen(m_strTarget), 32) << "the held program did not start";
    EXPECT_TRUE(started.WaitUntilStarted());
    EXPECT_TRUE(DeleteFileWhenFree(m_strTarget)) << "still held after the shell started it";
}

TEST_F(DownloadHardeningTest, NewDownloadAndTheServicesEndLetGo)
{
    const std::wstring url = m_hosts.DownloadUrl("normal");
    ASSERT_EQ(m_pServices->DownloadToFile(url, m_strTarget, nullptr), DownloadResult::Ok);
    // Held by the first download, the file would block the second one's final rename.
    ASSERT_EQ(m_pServices->DownloadToFile(url, m_strTarget, nullptr), DownloadResult::Ok);
    ExpectHeld(m_strTarget);
    // Opening something else lets go of nothing.
    m_pServices->ShellOpen(m_folder / L"missing.exe");
    ExpectHeld(m_strTarget);

    m_pServices.reset();
    EXPECT_TRUE(OpensForWriting(m_strTarget));
    EXPECT_TRUE(DeleteFileW(m_strTarget.c_str()));
}

TEST_F(DownloadHardeningTest, DownloadTakesBackAFolderOpenToEveryone)
{
    ASSERT_TRUE(SetDaclFromSddl(m_folder.Path(), L"D:P(A;OICI;FA;;;WD)"));
    ASSERT_TRUE(EveryoneMayChange(m_folder.Path()));
    ASSERT_EQ(m_pServices->DownloadToFile(m_hosts.DownloadUrl("normal"), m_strTarget, nullptr), DownloadResult::Ok);
    ExpectAdminFolder(m_folder.Path());
}

TEST_F(DownloadHardeningTest, NothingIsClaimedForADownloadThatCannotStart)
{
    ASSERT_TRUE(SetDaclFromSddl(m_folder.Path(), L"D:P(A;OICI;FA;;;WD)"));
    EXPECT_EQ(m_pServices->DownloadToFile(
                  L"http://localhost:" + std::to_wstring(m_hosts.Port("normal")) + L"/down/down", m_strTarget, nullptr),
              DownloadResult::InvalidUrl);
    EXPECT_TRUE(EveryoneMayChange(m_folder.Path())) << "claimed for a download that never began";

    // A drive's root is never taken over, so nothing is fetched into one.
    EXPECT_EQ(m_pServices->DownloadToFile(m_hosts.DownloadUrl("normal"), L"C:\\ZELQACONVERT.exe", nullptr),
              DownloadResult::FileError);
    EXPECT_EQ(GetFileAttributesW(L"C:\\ZELQACONVERT.exe"), INVALID_FILE_ATTRIBUTES);
}

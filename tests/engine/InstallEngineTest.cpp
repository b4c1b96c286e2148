#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "engine/BindCallback.h"
#include "engine/InstallChecks.h"
#include "engine/InstallEngine.h"
#include "engine/InstallRecord.h"
#include "tests/engine/FakeInstallView.h"
#include "tests/engine/FakeOsServices.h"

namespace
{
const std::wstring NOT_LOCAL = L"请选择本地磁盘路径进行安装";
const std::wstring NO_SPACE = L"当前所选磁盘内存不足，请重新选择安装路径";
const std::wstring PROGRESS_FILE = L"C:\\brovix\\Zelqa\\Percent.ini";
const std::wstring INSTALLER = L"C:\\brovix\\ZELQACONVERT.exe";
const std::wstring PUBLISHER = L"brovix 软件";
constexpr uint64_t MIB = 1024 * 1024;

class InstallEngine : public ::testing::Test
{
protected:
    void SetUp() override { g_bAbortDownload = 0; }
    void TearDown() override
    {
        m_engine.Detach();
        m_os.JoinThreads();
    }
    void Install(const std::wstring& location, bool bRetry = false)
    {
        m_view.m_strLocation = location;
        m_engine.OnInstall(bRetry);
    }
    std::vector<uint8_t> Value(const std::wstring& name)
    {
        std::lock_guard<std::mutex> lock(m_os.m_mutex);
        return m_os.m_values[std::wstring(INSTALL_RECORD_KEY) + L"|" + name];
    }

    CFakeOsServices m_os;
    CFakeInstallView m_view;
    CInstallEngine m_engine{m_os, &m_view, L"https://vendor.example/down/down?path=ZELQACONVERT_Download.exe",
                            PUBLISHER};
};
} // namespace

TEST_F(InstallEngine, OnlyAFixedDiskIsAccepted)
{
    const DriveKind refused[] = {DriveKind::Unknown, DriveKind::NoRootDir, DriveKind::Removable,
                                 DriveKind::Remote,  DriveKind::CdRom,     DriveKind::RamDisk};
    for (DriveKind kind : refused) {
        m_os.m_drives[L'E'] = kind;
        Install(L"E:\\Apps\\Zelqa");
    }
    Install(L"Q:\\Apps"); // no such drive
    EXPECT_EQ(m_view.m_notices, std::vector<std::wstring>(7, NOT_LOCAL));
    EXPECT_TRUE(m_view.Pages().empty());
    EXPECT_EQ(m_os.m_nThreadStarts, 0);
}

TEST_F(InstallEngine, ShortTextsAreTestedAsTheyStand)
{
    Install(L"C");
    Install(L"");
    EXPECT_EQ(m_view.m_notices, std::vector<std::wstring>(2, NOT_LOCAL));
    EXPECT_EQ(DriveRootOf(L"D:"), L"D:");
    EXPECT_EQ(DriveRootOf(L"Dx\\Apps"), L"Dx");
    Install(L"C:");
    EXPECT_TRUE(m_view.WaitForPage(L"progress"));
}

TEST_F(InstallEngine, MoreThanFiftyWholeMebibytesAreNeeded)
{
    m_os.m_freeBytes[L'C'] = 51 * MIB - 1;
    Install(L"C:\\Apps");
    EXPECT_EQ(m_view.m_notices, std::vector<std::wstring>{NO_SPACE});
    EXPECT_TRUE(m_view.Pages().empty());

    m_os.m_freeBytes[L'C'] = 51 * MIB;
    Install(L"C:\\Apps");
    EXPECT_EQ(m_view.m_notices.size(), 1u);
    EXPECT_TRUE(m_view.WaitForPage(L"progress"));
}

TEST_F(InstallEngine, FreeSpaceThatCannotBeReadCountsAsEnough)
{
    m_os.m_freeBytes.erase(L'C');
    Install(L"C:\\Apps");
    EXPECT_TRUE(m_view.m_notices.empty());
    EXPECT_TRUE(m_view.WaitForPage(L"progress"));
}

TEST_F(InstallEngine, ALocationTooLongForTheRecordIsRefused)
{
    Install(L"C:\\" + std::wstring(257, L'a')); // 260 characters
    ASSERT_EQ(m_view.m_notices.size(), 1u);
    EXPECT_NE(m_view.m_notices[0], NOT_LOCAL);
    EXPECT_TRUE(m_view.Pages().empty());
    EXPECT_TRUE(Value(L"Path").empty());

    const std::wstring longest = L"C:\\" + std::wstring(256, L'a'); // 259 fit
    Install(longest);
    EXPECT_EQ(m_view.m_strInstallDir, longest);
}

TEST_F(InstallEngine, RecordHoldsTheLocationInFixedBlocks)
{
    m_os.SetOperation(L"UnInstall"); // left from an earlier run
    Install(L"D:\\Apps\\Zelqa");
    // D: is not a drive yet: nothing is written.
    EXPECT_EQ(IsOperationUninstall(m_os), true);
    m_os.m_drives[L'D'] = DriveKind::Fixed;
    Install(L"D:\\Apps\\Zelqa");

    const std::vector<uint8_t> path = Value(L"Path");
    ASSERT_EQ(path.size(), 520u);
    EXPECT_EQ(DecodeRegSz(path), L"D:\\Apps\\Zelqa");
    EXPECT_TRUE(std::all_of(path.begin() + 26, path.end(), [](uint8_t b) { return b == 0; }));
    const std::vector<uint8_t> operation = Value(L"Operation");
    ASSERT_EQ(operation.size(), 520u);
    EXPECT_TRUE(std::all_of(operation.begin(), operation.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(IsOperationUninstall(m_os));
    EXPECT_EQ(m_view.m_strInstallDir, L"D:\\Apps\\Zelqa");
}

TEST_F(InstallEngine, OnlyTheExactUninstallCounts)
{
    for (const wchar_t* text : {L"uninstall", L"UnInstall ", L"UNINSTALL", L"", L"UnInstal"}) {
        m_os.SetOperation(text);
        EXPECT_FALSE(IsOperationUninstall(m_os)) << text;
    }
    m_os.SetOperation(L"UnInstall");
    EXPECT_TRUE(IsOperationUninstall(m_os));
}

// The download folder sits at the root of the desktop's local drive; a
// desktop with no local drive letter (a network share, a mapped network
// drive, none at all) puts it on the system drive.
TEST_F(InstallEngine, DownloadDriveFollowsTheDesktopWhereItIsLocal)
{
    m_os.m_drives[L'D'] = DriveKind::Fixed;
    m_os.m_drives[L'H'] = DriveKind::Remote;
    m_os.m_strSystemDrive = L"E:";
    EXPECT_EQ(DownloadDriveFor(m_os, L"D:\\Users\\ann\\Desktop"), L"D:");
    EXPECT_EQ(DownloadDriveFor(m_os, L"d:\\Users\\ann\\Desktop"), L"D:");
    EXPECT_EQ(DownloadDriveFor(m_os, L"\\\\?\\D:\\Users\\ann\\Desktop"), L"D:");
    EXPECT_EQ(DownloadDriveFor(m_os, L"\\\\server\\home\\Desktop"), L"E:");
    EXPECT_EQ(DownloadDriveFor(m_os, L"\\\\?\\UNC\\server\\home\\Desktop"), L"E:");
    EXPECT_EQ(DownloadDriveFor(m_os, L"H:\\Desktop"), L"E:");
    EXPECT_EQ(DownloadDriveFor(m_os, L""), L"E:");
    m_os.m_strSystemDrive.clear();
    EXPECT_EQ(DownloadDriveFor(m_os, L"\\\\server\\home\\Desktop"), L"C:");

    // A whole attempt with a redirected desktop downloads to the system drive.
    m_os.m_strDesktop = L"\\\\server\\home\\Desktop";
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPosition(90));
    std::lock_guard<std::mutex> lock(m_os.m_mutex);
    ASSERT_EQ(m_os.m_opened, std::vector<std::wstring>{INSTALLER});
}

TEST_F(InstallEngine, AWholeInstallFromDownloadToFinish)
{
    m_os.SetPercent(100); // a progress file left by an earlier run
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPosition(90));
    {
        std::lock_guard<std::mutex> lock(m_os.m_mutex);
        EXPECT_EQ(m_os.m_downloads.size(), 1u);
        EXPECT_TRUE(m_os.m_dirs.count(L"C:\\brovix"));
        ASSERT_EQ(m_os.m_opened, std::vector<std::wstring>{INSTALLER});
        // The old file went before the launch, so the new run did not end at once.
        EXPECT_EQ(m_os.m_removed.front(), PROGRESS_FILE);
    }
    EXPECT_EQ(m_view.Pages(), std::vector<std::wstring>{L"progress"});

    m_os.SetPercent(57);
    ASSERT_TRUE(m_view.WaitForPosition(95));
    m_os.SetPercent(150);
    ASSERT_TRUE(m_view.WaitForPage(L"finish"));
    const std::vector<int64_t> positions = m_view.Positions();
    EXPECT_EQ(positions.back(), 105); // the bar itself draws no further than full
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(std::count(positions.begin(), positions.end(), 89), 1);
    m_os.JoinThreads();
    std::lock_guard<std::mutex> lock(m_os.m_mutex);
    EXPECT_EQ(m_os.m_removed.back(), PROGRESS_FILE);
}

TEST_F(InstallEngine, UninstallEndsTheMonitoringWhateverThePercent)
{
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPosition(90));
    m_os.SetPercent(30);
    ASSERT_TRUE(m_view.WaitForPosition(93));
    m_os.SetOperation(L"UnInstall");
    EXPECT_TRUE(m_view.WaitForPage(L"finish"));
}

TEST_F(InstallEngine, NoMonitorAfterThreeFailedStartsGoesStraightToTheFinish)
{
    m_os.m_download = [this](IDownloadProgress*) {
        std::lock_guard<std::mutex> lock(m_os.m_mutex);
        m_os.m_nThreadFailures = 3;
        return DownloadResult::Ok;
    };
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPage(L"finish"));
    m_os.JoinThreads();
    EXPECT_EQ(m_os.m_nThreadStarts, 4); // the download, then three tries
}

TEST_F(InstallEngine, FailuresShowTheFailureLine)
{
    m_os.m_nThreadFailures = 1;
    Install(L"C:\\Apps\\Zelqa");
    EXPECT_EQ(m_view.Pages(), (std::vector<std::wstring>{L"progress", L"failure"}));
    EXPECT_TRUE(Value(L"Path").empty()); // no record without a download

    m_os.m_download = [](IDownloadProgress*) { return DownloadResult::HttpError; };
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPage(L"failure"));
    m_os.JoinThreads();
    EXPECT_TRUE(m_os.m_opened.empty()); // an error answer is never launched

    m_os.m_download = [](IDownloadProgress*) { return DownloadResult::Ok; };
    m_os.m_nShellOpenResult = 31;
    Install(L"C:\\Apps\\Zelqa");
    m_os.JoinThreads();
    const std::vector<std::wstring> pages = m_view.Pages();
    EXPECT_EQ(std::count(pages.begin(), pages.end(), L"failure"), 3);
}

TEST_F(InstallEngine, ADownloadFolderThatCannotBeMadeReadyFailsBeforeAnyTransfer)
{
    m_os.m_bPrepareResult = false;
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPage(L"failure"));
    m_os.JoinThreads();
    std::lock_guard<std::mutex> lock(m_os.m_mutex);
    EXPECT_EQ(m_os.m_prepared, std::vector<std::wstring>{L"C:\\brovix"});
    EXPECT_TRUE(m_os.m_downloads.empty());
    EXPECT_TRUE(m_os.m_opened.empty());
}

TEST_F(InstallEngine, OnlyTheVendorsSignedInstallerIsStarted)
{
    // Another publisher's file (or one signed by nobody): removed, never
    // started, the failure line shown; the progress file is left alone.
    m_os.m_strSigner = L"brovix 软件 ";
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPage(L"failure"));
    m_os.JoinThreads();
    {
        std::lock_guard<std::mutex> lock(m_os.m_mutex);
        EXPECT_EQ(m_os.m_checked, std::vector<std::wstring>{INSTALLER + L"|" + PUBLISHER});
        EXPECT_TRUE(m_os.m_opened.empty());
        EXPECT_EQ(m_os.m_removed, std::vector<std::wstring>{INSTALLER});
        EXPECT_FALSE(m_os.m_files.count(INSTALLER));
    }

    // The retry downloads afresh; the vendor's file is checked, then started.
    m_os.m_strSigner = PUBLISHER;
    Install(L"C:\\Apps\\Zelqa", true);
    ASSERT_TRUE(m_view.WaitForPosition(90));
    std::lock_guard<std::mutex> lock(m_os.m_mutex);
    EXPECT_EQ(m_os.m_checked.size(), 2u);
    EXPECT_EQ(m_os.m_opened, std::vector<std::wstring>{INSTALLER});
}

TEST_F(InstallEngine, ARefusedRetryPutsTheFailureLineBack)
{
    m_os.m_drives[L'C'] = DriveKind::Remote;
    Install(L"C:\\Apps\\Zelqa", true);
    EXPECT_EQ(m_view.m_notices, std::vector<std::wstring>{NOT_LOCAL});
    EXPECT_EQ(m_view.Pages(), std::vector<std::wstring>{L"failure"});
}

TEST_F(InstallEngine, ConfirmedCloseAbortsTheDownload)
{
    m_os.m_download = [](IDownloadProgress* p) {
        p->OnProgress(100, 1000, 5, L"");
        g_bAbortDownload = 1;
        // The aborting report still moves the bar.
        if (p->OnProgress(500, 1000, 5, L"") == E_ABORT)
            return DownloadResult::Aborted;
        return DownloadResult::Ok;
    };
    Install(L"C:\\Apps\\Zelqa");
    ASSERT_TRUE(m_view.WaitForPage(L"failure"));
    EXPECT_EQ(m_view.Positions().back(), 44);
}

TEST_F(InstallEngine, AWindowThatWentIsNeverReachedAgain)
{
    std::atomic<bool> bAborted{false};
    m_os.m_download = [&](IDownloadProgress* p) {
        p->OnProgress(0, 1000, 4, L"");
        m_engine.Detach(); // the window closes during the transfer
        bAborted = p->OnProgress(10, 1000, 5, L"") == E_ABORT && p->IsAbortRequested();
        return DownloadResult::Ok;
    };
    Install(L"C:\\Apps\\Zelqa");
    m_os.JoinThreads();
    EXPECT_TRUE(bAborted);
    EXPECT_TRUE(m_os.m_opened.empty());
    EXPECT_EQ(m_view.Pages(), std::vector<std::wstring>{L"progress"});
}

TEST(ProgressArithmetic, DownloadAndInstallPositions)
{
    EXPECT_EQ(DownloadPosition(0, 0), 0);
    EXPECT_EQ(DownloadPosition(5000, 0), 0); // size unknown: not past the download's share
    EXPECT_EQ(DownloadPosition(0, 1000), 0);
    EXPECT_EQ(DownloadPosition(1000, 1000), 89);
    EXPECT_EQ(DownloadPosition(89, 89), 89);
    EXPECT_EQ(DownloadPosition(5, 5), 75);
    const uint64_t huge = 6ull << 40; // byte counts beyond 32 bits
    EXPECT_EQ(DownloadPosition(huge / 2, huge), 44);
    int64_t last = 0;
    for (uint64_t done = 0; done <= 12345; done += 17) {
        const int64_t pos = DownloadPosition(done, 12345);
        EXPECT_GE(pos, last);
        last = pos;
    }
    EXPECT_EQ(InstallPosition(0), 90);
    EXPECT_EQ(InstallPosition(9), 90);
    EXPECT_EQ(InstallPosition(57), 95);
    EXPECT_EQ(InstallPosition(99), 99);
    EXPECT_EQ(InstallPosition(100), 100);
    EXPECT_EQ(InstallPosition(150), 105);
}

TEST_F(InstallEngine, GoingAwayLetsARunningDownloadCleanUp)
{
    std::atomic<bool> bStarted{false};
    std::atomic<bool> bCleanedUp{false};
    m_os.m_download = [&](IDownloadProgress* p) {
        bStarted = true;
        while (!p->IsAbortRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // removing the partial file
        bCleanedUp = true;
        return DownloadResult::Aborted;
    };
    Install(L"C:\\Apps\\Zelqa");
    while (!bStarted)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    m_engine.Detach();
    EXPECT_TRUE(bCleanedUp);
}

TEST_F(InstallEngine, LocationLengthCountsAsTheRecordStoresIt)
{
    // 250 characters, ten of them outside the basic plane: 260 UTF-16 units
    // (a wide string holds them as pairs where wchar_t is 16 bits wide).
    std::wstring location = L"C:\\" + std::wstring(237, L'a');
    for (int i = 0; i < 10; ++i)
        location += L"\U0001F680";
    ASSERT_EQ(location.size(), sizeof(wchar_t) == 2 ? 260u : 250u);
    Install(location);
    EXPECT_EQ(m_view.m_notices.size(), 1u);
    EXPECT_TRUE(m_view.Pages().empty());
}

TEST_F(InstallEngine, UninstallCountsWhateverTypeTheFullInstallerStored)
{
    const std::wstring key = L"Software\\brovix\\Zelqa";
    std::vector<uint8_t> text;
    AppendUtf16Le(L"UnInstall", text);
    text.resize(text.size() + 2, 0); // one zero character
    for (RegType type : {RegType::Sz, RegType::ExpandSz, RegType::MultiSz, RegType::Binary, RegType::None}) {
        m_os.RegWriteValue(key, L"Operation", type, text);
        EXPECT_TRUE(IsOperationUninstall(m_os)) << static_cast<int>(type);
    }
    // A multi-string's later strings and anything past the first zero don't count.
    std::vector<uint8_t> later(text);
    later.insert(later.begin(), {'A', 0, 0, 0});
    m_os.RegWriteValue(key, L"Operation", RegType::MultiSz, later);
    EXPECT_FALSE(IsOperationUninstall(m_os));

    // The block layout the installer itself writes counts too; a text that
    // goes on past the nine characters, up to the read limit, does not.
    std::vector<uint8_t> block(text);
    block.resize(520, 0);
    m_os.RegWriteValue(key, L"Operation", RegType::Sz, block);
    EXPECT_TRUE(IsOperationUninstall(m_os));
    std::vector<uint8_t> overlong;
    AppendUtf16Le(L"UnInstall" + std::wstring(121, L'x'), overlong); // 260 bytes, no zero in them
    overlong.resize(overlong.size() + 2, 0);
    m_os.RegWriteValue(key, L"Operation", RegType::Sz, overlong);
    EXPECT_FALSE(IsOperationUninstall(m_os));
}

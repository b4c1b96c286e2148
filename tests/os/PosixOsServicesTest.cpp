#include "os/posix/PosixOsServices.h"
#include "os/posix/Prefix.h"
#include "base/linux/OwnEnvironment.h"
#include "os/posix/ProcessLauncher.h"

#include "base/Utf8.h"
#include "os/posix/FileDescriptor.h"

#include "TestFolder.h"

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

std::string RealPath(const std::string& path)
{
    char real[4096];
    return realpath(path.c_str(), real) != nullptr ? real : path;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st
    {
    };
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class OsPosixServices : public ::testing::Test
{
protected:
    OsPosixServices() { EXPECT_EQ(symlink(m_data.Path().c_str(), (m_prefix / "dosdevices/d:").c_str()), 0); }

    CPosixOsServices::Options Options() const
    {
        CPosixOsServices::Options options;
        options.m_strPrefix = m_prefix.Path();
        options.m_strLogin = "tester";
        options.m_strOpener = m_tools / "opener";
        options.m_strFolderPicker = m_tools / "picker";
        return options;
    }

    // A shell script that the test can run as a program.
    void WriteScript(const std::string& path, const std::string& body, mode_t mode = 0755) const
    {
        CTestFolder::WriteFile(path, "#!/bin/sh\n" + body);
        chmod(path.c_str(), mode);
    }

    CTestFolder m_prefix;
    CTestFolder m_data;
    CTestFolder m_tools;
    CPosixOsServices m_services{Options()};
};

} // namespace

TEST_F(OsPosixServices, PrefixGetsDriveCAndTheDesktopOnFirstUse)
{
    std::wstring desktop;
    ASSERT_TRUE(m_services.GetDesktopFolder(desktop));
    EXPECT_EQ(desktop, L"C:\\users\\tester\\Desktop");
    EXPECT_TRUE(m_services.IsDirectory(desktop));
    std::vector<char> target(256);
    ASSERT_GT(readlink((m_prefix / "dosdevices/c:").c_str(), target.data(), target.size()), 0);
    EXPECT_STREQ(target.data(), "../drive_c");
}

TEST_F(OsPosixServices, FoldersAndFilesAreReachedThroughDrivePaths)
{
    EXPECT_TRUE(m_services.CreateFolder(L"D:\\brovix"));
    EXPECT_TRUE(m_services.CreateFolder(L"D:\\brovix")); // already there counts
    EXPECT_TRUE(m_services.IsDirectory(L"d:\\BROVIX"));
    EXPECT_FALSE(m_services.CreateFolder(L"D:\\a\\b")); // one level only
    EXPECT_FALSE(m_services.CreateFolder(L"Q:\\brovix"));

    CTestFolder::WriteFile(m_data / "brovix/Percent.ini", "x");
    EXPECT_TRUE(m_services.FileExists(L"D:\\brovix\\percent.ini"));
    EXPECT_FALSE(m_services.FileExists(L"D:\\brovix"));
    EXPECT_FALSE(m_services.IsDirectory(L"D:\\brovix\\Percent.ini"));
    EXPECT_FALSE(m_services.CreateFolder(L"D:\\brovix\\Percent.ini"));
    EXPECT_FALSE(m_services.RemoveFile(L"D:\\brovix"));
    EXPECT_TRUE(m_services.RemoveFile(L"D:\\Brovix\\PERCENT.ini"));
    EXPECT_FALSE(m_services.RemoveFile(L"D:\\brovix\\Percent.ini"));
    EXPECT_TRUE(m_services.IsDirectory(L"D:\\"));
}

TEST_F(OsPosixServices, NativePathsFollowExistingLetterCaseAndTranslateBack)
{
    CTestFolder::MakeFolders(m_data / "Apps/Zelqa");
    std::string host;
    ASSERT_TRUE(m_services.ToNativePath(L"d:\\APPS\\zelqa\\New Folder\\x.exe", host));
    EXPECT_EQ(host, RealPath(m_data.Path()) + "/Apps/Zelqa/New Folder/x.exe");

    std::wstring path;
    ASSERT_TRUE(m_services.FromNativePath(m_data / "Apps/Zelqa", path));
    EXPECT_EQ(path, L"D:\\Apps\\Zelqa");
    // Through another name of the same folder, and below it where nothing exists yet.
    ASSERT_EQ(symlink((m_data / "Apps").c_str(), (m_tools / "alias").c_str()), 0);
    ASSERT_TRUE(m_services.FromNativePath(m_tools / "alias/Zelqa/not/yet", path));
    EXPECT_EQ(path, L"D:\\Apps\\Zelqa\\not\\yet");
    ASSERT_TRUE(m_services.FromNativePath(m_prefix / "drive_c/users", path));
    EXPECT_EQ(path, L"C:\\users");
    EXPECT_FALSE(m_services.FromNativePath(m_tools.Path(), path));
    EXPECT_FALSE(m_services.ToNativePath(L"\\\\server\\share", host));
}

TEST_F(OsPosixServices, ProgramsStartDetachedAndOutliveTheCall)
{
    // As the download leaves it: 0755, ours, in a folder only we may write.
    const std::string marker = m_data / "marker";
    WriteScript(m_data / "setup.exe", "sleep 1\necho \"$$ $(cut -d' ' -f6 /proc/$$/stat)\" > '" + marker +
                                          ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\n");

    const auto started = std::chrono::steady_clock::now();
    EXPECT_GT(m_services.ShellOpen(L"D:\\Setup.exe"), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
    EXPECT_FALSE(CTestFolder::Exists(marker)); // not waited for

    ASSERT_TRUE(CTestFolder::WaitForFile(marker, 10));
    std::istringstream fields(CTestFolder::ReadFile(marker));
    pid_t program = 0;
    pid_t session = 0;
    fields >> program >> session;
    EXPECT_NE(session, getsid(0));
    // Once it has ended it is gone, not left behind as our zombie.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::kill(program, 0) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_NE(::kill(program, 0), 0) << "program " << program << " still there";
}

TEST_F(OsPosixServices, NothingIsMadeExecutable)
{
    // A script and a binary without execute permission are refused and stay as they were.
    const std::string marker = m_data / "ran";
    WriteScript(m_data / "setup.exe", "touch '" + marker + "'\n", 0644);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\setup.exe"), ShellOpenResult::AccessDenied);
    std::filesystem::copy_file("/bin/true", m_data / "brovixStart.exe");
    chmod((m_data / "brovixStart.exe").c_str(), 0644);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\brovixStart.exe"), ShellOpenResult::AccessDenied);

    EXPECT_EQ(ModeOf(m_data / "setup.exe"), 0644u);
    EXPECT_EQ(ModeOf(m_data / "brovixStart.exe"), 0644u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(CTestFolder::Exists(marker));
}

TEST_F(OsPosixServices, OnlyProgramsNobodyElseCouldChangeAreStarted)
{
    const std::string marker = m_data / "ran";
    const std::string body = "touch '" + marker + "'\n";
    WriteScript(m_data / "group.exe", body, 0775);
    WriteScript(m_data / "others.exe", body, 0757);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\group.exe"), ShellOpenResult::AccessDenied);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\others.exe"), ShellOpenResult::AccessDenied);

    // A program in a folder others may write could have been put there by them.
    for (const mode_t mode : {0777, 0775, 01777}) {
        const std::string folder = m_data / ("open-" + std::to_string(mode));
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(chmod(folder.c_str(), mode), 0);
        WriteScript(folder + "/setup.exe", body);
        EXPECT_EQ(m_services.ShellOpen(FromUtf8("D:\\open-" + std::to_string(mode) + "\\setup.exe")),
                  ShellOpenResult::AccessDenied)
            << std::oct << mode;
    }

    // Nor through a link, which may lead anywhere.
    WriteScript(m_data / "good.exe", body);
    ASSERT_EQ(symlink((m_data / "good.exe").c_str(), (m_data / "link.exe").c_str()), 0);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\link.exe"), ShellOpenResult::AccessDenied);

    // Someone else's file, or a file in someone else's folder.
    if (geteuid() == 0) {
        const uid_t nobody = 65534;
        WriteScript(m_data / "foreign.exe", body);
        ASSERT_EQ(chown((m_data / "foreign.exe").c_str(), nobody, nobody), 0);
        EXPECT_EQ(m_services.ShellOpen(L"D:\\foreign.exe"), ShellOpenResult::AccessDenied);
        ASSERT_EQ(mkdir((m_data / "theirs").c_str(), 0755), 0);
        WriteScript(m_data / "theirs/setup.exe", body);
        ASSERT_EQ(chown((m_data / "theirs").c_str(), nobody, nobody), 0);
        EXPECT_EQ(m_services.ShellOpen(L"D:\\theirs\\setup.exe"), ShellOpenResult::AccessDenied);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(CTestFolder::Exists(marker));

    EXPECT_GT(m_services.ShellOpen(L"D:\\good.exe"), 32);
    EXPECT_TRUE(CTestFolder::WaitForFile(marker, 10));
}

TEST_F(OsPosixServices, WhatRunsIsTheFileThatWasOpenedNotWhatItsNameLaterNames)
{
    const std::string marker = m_data / "ran";
    const std::string path = m_data / "setup.exe";
    WriteScript(path, "echo checked > '" + marker + ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\n");
    CFileDescriptor checked(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_GE(checked.Get(), 0);
    // Swapped after the checks, before the start.
    WriteScript(m_data / "swapped", "echo swapped > '" + marker + ".tmp'\nmv '" + marker + ".tmp' '" + marker + "'\n");
    ASSERT_EQ(rename((m_data / "swapped").c_str(), path.c_str()), 0);

    EXPECT_EQ(CProcessLauncher::SpawnDetachedImage(checked.Get(), true, {path}), 0);
    ASSERT_TRUE(CTestFolder::WaitForFile(marker, 10));
    EXPECT_EQ(CTestFolder::ReadFile(marker), "checked\n");

    // A binary from its descriptor: the name it is told need not exist at all.
    CFileDescriptor touch(open("/usr/bin/touch", O_RDONLY | O_CLOEXEC));
    ASSERT_GE(touch.Get(), 0);
    const std::string touched = m_data / "touched";
    EXPECT_EQ(CProcessLauncher::SpawnDetachedImage(touch.Get(), false, {m_data / "no-such-program", touched}), 0);
    EXPECT_TRUE(CTestFolder::WaitForFile(touched, 10));
}

TEST_F(OsPosixServices, NewFoldersAre0755WhateverTheUmask)
{
    for (const mode_t mask : {0000, 0077, 0022, 0002}) {
        const std::string name = "brovix-" + std::to_string(mask);
        const mode_t previous = umask(mask);
        const bool made = m_services.CreateFolder(FromUtf8("D:\\" + name));
        umask(previous);
        EXPECT_TRUE(made);
        EXPECT_EQ(ModeOf(m_data / name), 0755u) << "umask " << std::oct << mask;
    }
    // A folder that was there is left as it is; the download judges it.
    ASSERT_EQ(mkdir((m_data / "shared").c_str(), 0700), 0);
    ASSERT_EQ(chmod((m_data / "shared").c_str(), 0777), 0);
    EXPECT_TRUE(m_services.CreateFolder(L"D:\\shared"));
    EXPECT_EQ(ModeOf(m_data / "shared"), 0777u);
}

TEST_F(OsPosixServices, OpeningFailsWithShellCodesAtOrBelow32)
{
    EXPECT_EQ(m_services.ShellOpen(L"D:\\missing.exe"), ShellOpenResult::FileNotFound);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\no\\such\\folder\\a.exe"), ShellOpenResult::PathNotFound);
    EXPECT_EQ(m_services.ShellOpen(L"Q:\\a.exe"), ShellOpenResult::PathNotFound);
    // A script whose interpreter is missing can't start.
    WriteScript(m_data / "broken.exe", "");
    CTestFolder::WriteFile(m_data / "broken.exe", "#!/nonexistent/interpreter\n");
    EXPECT_LE(m_services.ShellOpen(L"D:\\broken.exe"), 32);
}

TEST_F(OsPosixServices, DocumentsAndPagesGoToTheHandler)
{
    const std::string log = m_data / "opened";
    WriteScript(m_tools / "opener", "printf '%s\\n' \"$@\" > '" + log + ".tmp'\nmv '" + log + ".tmp' '" + log + "'\n");

    EXPECT_EQ(m_services.ShellOpen(L"https://localhost/cn/home.html"), ShellOpenResult::Success);
    ASSERT_TRUE(CTestFolder::WaitForFile(log, 10));
    EXPECT_EQ(CTestFolder::ReadFile(log), "https://localhost/cn/home.html\n");

    CTestFolder::WriteFile(m_data / "licence.txt", "text");
    unlink(log.c_str());
    EXPECT_EQ(m_services.ShellOpen(L"D:\\licence.txt"), ShellOpenResult::Success);
    ASSERT_TRUE(CTestFolder::WaitForFile(log, 10));
    EXPECT_EQ(CTestFolder::ReadFile(log), RealPath(m_data.Path()) + "/licence.txt\n");

    CPosixOsServices::Options options = Options();
    options.m_strOpener = m_tools / "no-such-opener";
    CPosixOsServices without(options);
    EXPECT_EQ(without.ShellOpen(L"https://localhost/"), ShellOpenResult::NoAssociation);

    EXPECT_TRUE(CProcessLauncher::LooksLikeUrl(L"mailto:x@y"));
    EXPECT_FALSE(CProcessLauncher::LooksLikeUrl(L"D:\\x:y"));
    EXPECT_FALSE(CProcessLauncher::LooksLikeUrl(L"1a:b"));
}

TEST_F(OsPosixServices, AFailingOpenerIsAFailedOpen)
{
    WriteScript(m_tools / "opener", "exit 1\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m_services.ShellOpen(L"https://localhost/cn/home.html"), ShellOpenResult::NoAssociation);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)); // its verdict, not the limit
    CTestFolder::WriteFile(m_data / "licence.txt", "text");
    EXPECT_EQ(m_services.ShellOpen(L"D:\\licence.txt"), ShellOpenResult::NoAssociation);
    WriteScript(m_tools / "opener", "kill -KILL $$\n");
    EXPECT_EQ(m_services.ShellOpen(L"https://localhost/cn/home.html"), ShellOpenResult::NoAssociation);
}

TEST_F(OsPosixServices, AnOpenerStillBusyAfterTheWaitHasHandedOverAndLeavesNoZombie)
{
    CPosixOsServices::Options options = Options();
    options.m_openerWait = std::chrono::milliseconds(300);
    CPosixOsServices services(options);
    const std::string done = m_data / "done";
    WriteScript(m_tools / "opener", "sleep 1\ntouch '" + done + "'\nexit 1\n");

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(services.ShellOpen(L"https://localhost/cn/home.html"), ShellOpenResult::Success);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(900));

    // It carries on by itself and, once it ends, is nobody's zombie here.
    ASSERT_TRUE(CTestFolder::WaitForFile(done, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    errno = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(OsPosixServices, ADownloadThatIsNoProgramFailsAsBadFormatAndIsNotHandedOn)
{
    const std::string log = m_data / "opened";
    WriteScript(m_tools / "opener", "echo \"$@\" >> '" + log + "'\n");

    // A portal's page answered with 200, and a Windows program.
    CTestFolder::WriteFile(m_data / "ZELQACONVERT.exe", "<html><body>Please log in</body></html>");
    chmod((m_data / "ZELQACONVERT.exe").c_str(), 0755);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\ZELQACONVERT.exe"), ShellOpenResult::BadFormat);
    CTestFolder::WriteFile(m_data / "Setup.EXE", std::string("MZ\x90\0\3\0\0\0", 8));
    EXPECT_EQ(m_services.ShellOpen(L"D:\\Setup.EXE"), ShellOpenResult::BadFormat);
    CTestFolder::WriteFile(m_data / "empty.exe", "");
    EXPECT_EQ(m_services.ShellOpen(L"D:\\empty.exe"), ShellOpenResult::BadFormat);
    ASSERT_EQ(mkfifo((m_data / "pipe.exe").c_str(), 0644), 0);
    EXPECT_EQ(m_services.ShellOpen(L"D:\\pipe.exe"), ShellOpenResult::BadFormat);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(CTestFolder::Exists(log));

    // Any other document still goes to the handler.
    CTestFolder::WriteFile(m_data / "readme.html", "<html></html>");
    EXPECT_EQ(m_services.ShellOpen(L"D:\\readme.html"), ShellOpenResult::Success);
    EXPECT_TRUE(CTestFolder::WaitForFile(log, 10));
}

TEST_F(OsPosixServices, FolderPickerAnswersWithADrivePath)
{
    CTestFolder::MakeFolders(m_data / "Apps");
    const std::string args = m_data / "picker-args";
    WriteScript(m_tools / "picker", "printf '%s\\n' \"$@\" > '" + args + "'\necho '" + (m_data / "Apps") + "'\n");
    std::wstring chosen;
    ASSERT_TRUE(m_services.BrowseForFolder(L"请选择安装目录", L"D:\\", chosen));
    EXPECT_EQ(chosen, L"D:\\Apps");
    const std::string passed = CTestFolder::ReadFile(args);
    EXPECT_NE(
        passed.find("--title=\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE5\xAE\x89\xE8\xA3\x85\xE7\x9B\xAE\xE5\xBD\x95\n"),
        std::string::npos);
    EXPECT_NE(passed.find("--filename=" + RealPath(m_data.Path()) + "/\n"), std::string::npos);

    chosen = L"unchanged";
    WriteScript(m_tools / "picker", "exit 1\n"); // cancelled
    EXPECT_FALSE(m_services.BrowseForFolder(L"t", L"", chosen));
    WriteScript(m_tools / "picker", "echo /proc\n"); // on no drive
    EXPECT_FALSE(m_services.BrowseForFolder(L"t", L"", chosen));
    EXPECT_EQ(chosen, L"unchanged");
}

// A picker that writes without end must neither grow the installer nor keep
// it waiting: its first line is the answer and the picker is ended.
TEST_F(OsPosixServices, FolderPickerAnswerIsItsFirstLineWhateverFollows)
{
    CTestFolder::MakeFolders(m_data / "Apps");
    WriteScript(m_tools / "picker", "exec yes '" + (m_data / "Apps") + "'\n");
    std::wstring chosen;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_services.BrowseForFolder(L"t", L"", chosen));
    EXPECT_EQ(chosen, L"D:\\Apps");

    // No line break at all: 64 KiB are read, which is no path, and a picker
    // that lingers after writing them is ended too.
    WriteScript(m_tools / "picker", "head -c 1000000 /dev/zero | tr '\\0' a\nexec sleep 60\n");
    std::string line;
    EXPECT_EQ(CProcessLauncher::RunForLine({m_tools / "picker"}, line, 64 * 1024), 0);
    EXPECT_EQ(line.size(), 64u * 1024u);
    EXPECT_EQ(line.find_first_not_of('a'), std::string::npos);
    EXPECT_FALSE(m_services.BrowseForFolder(L"t", L"", chosen));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
}

TEST_F(OsPosixServices, ThreadsRunDetached)
{
    std::promise<int> ran;
    EXPECT_TRUE(m_services.StartThread([&ran] { ran.set_value(7); }));
    auto future = ran.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(future.get(), 7);

    EXPECT_FALSE(m_services.StartThread(std::function<void()>()));
}

TEST_F(OsPosixServices, ProcessWideServicesCanBeSwappedForTests)
{
    setenv("ZELQA_PREFIX", m_prefix.Path().c_str(), 1);
    CPosixOsServices fake(Options());
    SetOsServicesForTesting(&fake);
    EXPECT_EQ(&::OsServices(), &fake);
    SetOsServicesForTesting(nullptr);
    IOsServices& real = ::OsServices();
    EXPECT_NE(&real, &fake);
    auto* posix = dynamic_cast<CPosixOsServices*>(&real);
    ASSERT_NE(posix, nullptr);
    EXPECT_EQ(posix->Prefix(), m_prefix.Path());
}

// What the installer sets for itself alone (a library's setting) never reaches
// the programs it starts, while what the user set reaches them unchanged.
TEST(OwnEnvironment, StartedProgramsGetTheUsersEnvironmentWithoutTheProcesssOwn)
{
    ::setenv("ZELQA_TEST_USERS_OWN", "kept", 1);
    SetForThisProcessOnly("ZELQA_TEST_USERS_OWN", "replaced");
    SetForThisProcessOnly("ZELQA_TEST_PROCESS_ONLY", "1");
    EXPECT_STREQ(std::getenv("ZELQA_TEST_USERS_OWN"), "kept");
    EXPECT_STREQ(std::getenv("ZELQA_TEST_PROCESS_ONLY"), "1");
    std::string line;
    ASSERT_EQ(
        CProcessLauncher::RunForLine(
            {"/bin/sh", "-c", "echo \"${ZELQA_TEST_PROCESS_ONLY-unset}:${ZELQA_TEST_USERS_OWN-unset}\""}, line, 1024),
        0);
    EXPECT_EQ(line, "unset:kept");
    ::unsetenv("ZELQA_TEST_USERS_OWN");
}

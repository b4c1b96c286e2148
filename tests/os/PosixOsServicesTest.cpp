#include "os/posix/PosixOsServices.h"
#include "os/posix/Prefix.h"
#include "os/posix/ProcessLauncher.h"

#include "TestFolder.h"

#include <chrono>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::string RealPath(const std::string& path)
{
    char real[4096];
    return realpath(path.c_str(), real) != nullptr ? real : path;
}

class OsPosixServices : public ::testing::Test
{
protected:
    OsPosixServices()
    {
        EXPECT_EQ(symlink(m_data.Path().c_str(), (m_prefix / "dosdevices/d:").c_str()), 0);
    }

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

}

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
    EXPECT_TRUE(m_services.CreateFolder(L"D:\\brovix"));  // already there counts
    EXPECT_TRUE(m_services.IsDirectory(L"d:\\BROVIX"));
    EXPECT_FALSE(m_services.CreateFolder(L"D:\\a\\b"));   // one level only
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
    // Written by the download without execute permission; opening grants it.
    const std::string marker = m_data / "marker";
    WriteScript(m_data / "setup.exe",
                "sleep 1\necho \"$PPID $(cut -d' ' -f6 /proc/$$/stat)\" > '" + marker + ".tmp'\nmv '" + marker +
                    ".tmp' '" + marker + "'\n",
                0644);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_GT(m_services.ShellOpen(L"D:\\Setup.exe"), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
    EXPECT_FALSE(CTestFolder::Exists(marker));  // not waited for

    struct stat st{};
    ASSERT_EQ(stat((m_data / "setup.exe").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u);

    ASSERT_TRUE(CTestFolder::WaitForFile(marker, 10));
    std::istringstream fields(CTestFolder::ReadFile(marker));
    pid_t parent = 0;
    pid_t session = 0;
    fields >> parent >> session;
    EXPECT_NE(parent, getpid());
    EXPECT_NE(session, getsid(0));
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

TEST_F(OsPosixServices, FolderPickerAnswersWithADrivePath)
{
    CTestFolder::MakeFolders(m_data / "Apps");
    const std::string args = m_data / "picker-args";
    WriteScript(m_tools / "picker", "printf '%s\\n' \"$@\" > '" + args + "'\necho '" + (m_data / "Apps") + "'\n");
    std::wstring chosen;
    ASSERT_TRUE(m_services.BrowseForFolder(L"请选择安装目录", L"D:\\", chosen));
    EXPECT_EQ(chosen, L"D:\\Apps");
    const std::string passed = CTestFolder::ReadFile(args);
    EXPECT_NE(passed.find("--title=\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE5\xAE\x89\xE8\xA3\x85\xE7\x9B\xAE\xE5\xBD\x95\n"),
              std::string::npos);
    EXPECT_NE(passed.find("--filename=" + RealPath(m_data.Path()) + "/\n"), std::string::npos);

    chosen = L"unchanged";
    WriteScript(m_tools / "picker", "exit 1\n");  // cancelled
    EXPECT_FALSE(m_services.BrowseForFolder(L"t", L"", chosen));
    WriteScript(m_tools / "picker", "echo /proc\n");  // on no drive
    EXPECT_FALSE(m_services.BrowseForFolder(L"t", L"", chosen));
    EXPECT_EQ(chosen, L"unchanged");
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

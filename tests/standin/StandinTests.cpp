#include "StandinProcess.h"

#include "os/posix/PosixOsServices.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <set>
#include <sstream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

const wchar_t* const kKey = L"Software\\brovix\\Zelqa";
const wchar_t* const kProgressFile = L"C:\\brovix\\Zelqa\\Percent.ini";
constexpr int32_t kMissing = -1000;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);)
        lines.push_back(strLine);
    return lines;
}

std::string Join(const std::vector<int32_t>& values)
{
    std::string strText;
    for (int32_t nValue : values)
        strText += (strText.empty() ? "" : " ") + std::to_string(nValue);
    return strText;
}

// What the online installer's monitor could have seen while a stand-in ran.
struct ProgressTrace
{
    std::vector<int32_t> m_values;     // each change of the Percent key, kMissing when unreadable
    std::set<std::string> m_contents;  // every distinct file content
    bool m_bVanished = false;          // the file was gone after it had appeared
    bool m_bLauncherAtHundred = false; // the launcher was in place when 100 was first read
    bool m_bSawHundred = false;
};

class Standin : public ::testing::Test
{
protected:
    Standin() : m_prefix(MakeTempFolder())
    {
        setenv("ZELQA_PREFIX", m_prefix.c_str(), 1);
        CPosixOsServices::Options options;
        options.m_strPrefix = m_prefix.string();
        options.m_strLogin = "tester";
        m_pOs = std::make_unique<CPosixOsServices>(options);

        fs::create_directories(m_prefix / "drive_c/brovix");
        fs::copy_file(ZELQA_STANDIN_EXE, m_installer);
        fs::permissions(m_installer, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        EXPECT_TRUE(m_pOs->RegEnsureKey(kKey));
        SetInstallLocation(L"C:\\Program Files (x86)\\Zelqa");
    }

    ~Standin() override
    {
        if (HasFailure())
            std::cerr << "stand-in log:\n" << ReadAll(m_log);
        std::error_code ignored;
        fs::remove_all(m_prefix, ignored);
    }

    static fs::path MakeTempFolder()
    {
        char szPattern[] = "/tmp/zelqa-standin-test-XXXXXX";
        if (mkdtemp(szPattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        return szPattern;
    }

    void SetInstallLocation(const std::wstring& strPath)
    {
        EXPECT_TRUE(RegSetString(*m_pOs, kKey, L"Path", strPath, 260));
    }

    bool Start(CStandinProcess& process, const fs::path& program, const std::string& strScenario, double dSeconds,
               const std::string& strMarker = "")
    {
        return process.Start(program.string(), {},
                             {{"ZELQA_PREFIX", m_prefix.string()},
                              {"ZELQA_STANDIN_SCENARIO", strScenario},
                              {"ZELQA_STANDIN_SECONDS", std::to_string(dSeconds)},
                              {"ZELQA_STANDIN_MARKER", strMarker}},
                             m_log.string());
    }

    // Polls the progress file the way the monitor does until the process
    // ends, `dSeconds` pass or a value of `nStopAt` or more is read.
    ProgressTrace Watch(CStandinProcess& process, double dSeconds, int32_t nStopAt = INT32_MAX)
    {
        ProgressTrace trace;
        bool bAppeared = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(dSeconds);
        for (bool bLast = false; !bLast;) {
            bLast = process.HasExited() || std::chrono::steady_clock::now() >= deadline;
            const int32_t nValue = m_pOs->ReadPrivateProfileInt(L"Percent", L"Percent", kMissing, kProgressFile);
            const bool bExists = fs::exists(m_progress);
            bAppeared = bAppeared || bExists;
            trace.m_bVanished = trace.m_bVanished || (bAppeared && !bExists);
            if (bExists)
                trace.m_contents.insert(ReadAll(m_progress));
            if (trace.m_values.empty() ? bExists : trace.m_values.back() != nValue)
                trace.m_values.push_back(nValue);
            if (nValue >= 100 && !trace.m_bSawHundred) {
                trace.m_bSawHundred = true;
                trace.m_bLauncherAtHundred = fs::exists(m_launcher);
            }
            if (nValue >= nStopAt)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return trace;
    }

    fs::path m_prefix;
    std::unique_ptr<CPosixOsServices> m_pOs;
    fs::path m_installer = m_prefix / "drive_c/brovix/ZELQACONVERT.exe";
    fs::path m_progress = m_prefix / "drive_c/brovix/Zelqa/Percent.ini";
    fs::path m_installDir = m_prefix / "drive_c/Program Files (x86)/Zelqa";
    fs::path m_launcher = m_installDir / "brovixStart.exe";
    fs::path m_log = m_prefix / "standin.log";
};

} // namespace

TEST_F(Standin, NormalRunClimbsToHundredAfterInstallingTheLauncher)
{
    // The location as a user might type it: other letter case, trailing backslash.
    fs::create_directories(m_prefix / "drive_c/Program Files (x86)");
    SetInstallLocation(L"c:\\PROGRAM FILES (X86)\\Zelqa\\");

    CStandinProcess process;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start(process, m_installer, "normal", 0.5));
    const ProgressTrace trace = Watch(process, 10);
    EXPECT_EQ(process.Wait(5), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));

    ASSERT_FALSE(trace.m_values.empty());
    EXPECT_TRUE(std::adjacent_find(trace.m_values.begin(), trace.m_values.end(), std::greater_equal<int32_t>()) ==
                trace.m_values.end())
        << "readings went down or were unreadable: " << Join(trace.m_values);
    EXPECT_GE(trace.m_values.front(), 0);
    EXPECT_EQ(trace.m_values.back(), 100);
    EXPECT_GE(trace.m_values.size(), 5u) << "the bar should move in steps, not jump";
    EXPECT_FALSE(trace.m_bVanished) << "a reader found no progress file in the middle of the run";
    EXPECT_TRUE(trace.m_bLauncherAtHundred) << "100 was written before the launcher was in place";
    EXPECT_EQ(ReadAll(m_progress), "[Percent]\r\nPercent=100\r\n");

    // Into the folder that was there, executable, whole, and nothing left beside it.
    EXPECT_FALSE(fs::exists(m_prefix / "drive_c/PROGRAM FILES (X86)"));
    EXPECT_EQ(access(m_launcher.c_str(), X_OK), 0);
    EXPECT_EQ(fs::file_size(m_launcher), fs::file_size(ZELQA_STANDIN_EXE));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_installDir), fs::directory_iterator()), 1);
}

TEST_F(Standin, InstalledLauncherLeavesAMarkerLine)
{
    CStandinProcess install;
    ASSERT_TRUE(Start(install, m_installer, "normal", 0));
    ASSERT_EQ(install.Wait(10), 0);
    ASSERT_TRUE(fs::exists(m_launcher));

    CStandinProcess launch;
    ASSERT_TRUE(Start(launch, m_launcher, "", 0));
    EXPECT_EQ(launch.Wait(5), 0);
    const std::vector<std::string> lines = Lines(ReadAll(m_installDir / "launched.txt"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" " + m_launcher.string())) << lines[0];
    // It played the launcher, not another installer writing progress beside itself.
    EXPECT_FALSE(fs::exists(m_installDir / "Zelqa"));

    const fs::path marker = m_prefix / "marker.txt";
    CStandinProcess again;
    ASSERT_TRUE(Start(again, m_launcher, "", 0, marker.string()));
    EXPECT_EQ(again.Wait(5), 0);
    EXPECT_EQ(Lines(ReadAll(marker)).size(), 1u);
    EXPECT_EQ(Lines(ReadAll(m_installDir / "launched.txt")).size(), 1u);
}

TEST_F(Standin, LauncherIsInstalled0755AndRunStartsItWhateverTheUmask)
{
    // A umask that would leave the folders group-writable, which Run refuses.
    const mode_t previous = umask(002);
    CStandinProcess install;
    const bool bStarted = Start(install, m_installer, "normal", 0);
    const int nStatus = bStarted ? install.Wait(10) : -1;
    umask(previous);
    ASSERT_EQ(nStatus, 0);
    const auto mode = [](const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; };
    EXPECT_EQ(mode(m_launcher), static_cast<fs::perms>(0755));
    EXPECT_EQ(mode(m_installDir), static_cast<fs::perms>(0755));

    // Run as the window does it: nothing is made executable on the way.
    const fs::path marker = m_prefix / "run-marker.txt";
    setenv("ZELQA_STANDIN_MARKER", marker.c_str(), 1);
    const int32_t nOpened = m_pOs->ShellOpen(L"C:\\Program Files (x86)\\Zelqa\\brovixStart.exe");
    unsetenv("ZELQA_STANDIN_MARKER");
    EXPECT_GT(nOpened, 32);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(marker)) << "the launcher did not run";
    EXPECT_TRUE(ReadAll(marker).ends_with(" " + m_launcher.string() + "\n"));
}

TEST_F(Standin, UninstallScenarioSetsOperationAndStopsAtThirty)
{
    CStandinProcess process;
    ASSERT_TRUE(Start(process, m_installer, "uninstall30", 0.5));
    const ProgressTrace trace = Watch(process, 10);
    EXPECT_EQ(process.Wait(5), 0);

    std::wstring strOperation;
    EXPECT_TRUE(RegGetString(*m_pOs, kKey, L"Operation", strOperation));
    EXPECT_EQ(strOperation, L"UnInstall");
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_pOs->RegReadValue(kKey, L"Operation", type, data));
    EXPECT_EQ(type, RegType::Sz);
    EXPECT_EQ(data.size(), 520u);

    ASSERT_FALSE(trace.m_values.empty());
    EXPECT_EQ(trace.m_values.back(), 30);
    EXPECT_FALSE(trace.m_bSawHundred);
    EXPECT_FALSE(fs::exists(m_launcher));
}

TEST_F(Standin, StallScenarioHoldsAtFiftySevenUntilKilled)
{
    CStandinProcess process;
    ASSERT_TRUE(Start(process, m_installer, "stall57", 0.5));
    const ProgressTrace trace = Watch(process, 10, 57);
    ASSERT_FALSE(trace.m_values.empty());
    ASSERT_EQ(trace.m_values.back(), 57);

    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_FALSE(process.HasExited());
    EXPECT_EQ(m_pOs->ReadPrivateProfileInt(L"Percent", L"Percent", kMissing, kProgressFile), 57);
    process.Kill();
}

TEST_F(Standin, GarbageNeverReadsAsDone)
{
    CStandinProcess process;
    ASSERT_TRUE(Start(process, m_installer, "garbage", 0.5));
    const ProgressTrace trace = Watch(process, 10);
    EXPECT_EQ(process.Wait(5), 0);

    EXPECT_FALSE(trace.m_bSawHundred);
    for (int32_t nValue : trace.m_values)
        EXPECT_LT(nValue, 100);
    EXPECT_GE(trace.m_contents.size(), 3u) << "expected a series of different nonsense";
    EXPECT_TRUE(fs::exists(m_progress));
    EXPECT_FALSE(fs::exists(m_launcher));
}

// The out-of-range endings the online installer must survive: each is the
// last value in the file, written as the number itself, and nothing is installed.
TEST_F(Standin, NegativeAndHugeScenariosEndOnTheirValue)
{
    for (const auto& [pszScenario, nLast] : {std::pair{"negative", -50}, std::pair{"huge", 2147483647}}) {
        SCOPED_TRACE(pszScenario);
        fs::remove(m_progress);
        CStandinProcess process;
        ASSERT_TRUE(Start(process, m_installer, pszScenario, 0.3));
        Watch(process, 10);
        EXPECT_EQ(process.Wait(5), 0);
        EXPECT_EQ(m_pOs->ReadPrivateProfileInt(L"Percent", L"Percent", kMissing, kProgressFile), nLast);
        EXPECT_FALSE(fs::exists(m_launcher));
    }
}

TEST_F(Standin, WithoutAnInstallLocationItFailsWithoutReportingProgress)
{
    ASSERT_TRUE(m_pOs->RegRemoveValue(kKey, L"Path"));
    CStandinProcess process;
    ASSERT_TRUE(Start(process, m_installer, "normal", 0));
    EXPECT_EQ(process.Wait(5), 1);
    EXPECT_FALSE(fs::exists(m_progress));
    EXPECT_FALSE(fs::exists(m_launcher));
}

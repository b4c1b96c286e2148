#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "os/win32/AdminFolder.h"
#include "os/win32/Win32OsServices.h"
#include "FolderSecurityCheck.h"
#include "LaunchProbe.h"
#include "WinTestFolder.h"

namespace
{

// Who started the probe, as it wrote down: its parent's process id, and
// whether it ran elevated.
bool ReadProbeParent(const std::wstring& folder, unsigned long& nParent, int& nElevated)
{
    const std::string text = CWinTestFolder::ReadFile(folder + L"\\probe-parent.txt");
    return sscanf(text.c_str(), "%lu %d", &nParent, &nElevated) == 2;
}

// The program file name of a running process, or empty.
std::wstring ProcessName(DWORD dwProcess)
{
    const HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return L"";
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    std::wstring name;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry))
        if (entry.th32ProcessID == dwProcess)
            name = entry.szExeFile;
    CloseHandle(hSnapshot);
    return name;
}

bool IsProcessElevated()
{
    HANDLE hToken = nullptr;
    TOKEN_ELEVATION elevation{};
    DWORD cb = 0;
    const bool bElevated = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken) &&
                           GetTokenInformation(hToken, TokenElevation, &elevation, sizeof(elevation), &cb) &&
                           elevation.TokenIsElevated != 0;
    if (hToken)
        CloseHandle(hToken);
    return bElevated;
}

class ShellOpenAsUserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_folder.Path().empty());
        ASSERT_FALSE(CLaunchProbe::ProgramPath().empty()) << "zelqa-launch-probe.exe is not beside the tests";
    }

    // The probe as the product's launcher in `folder`.
    std::wstring InstallLauncher(const std::wstring& folder)
    {
        const std::wstring launcher = folder + L"\\brovixStart.exe";
        EXPECT_TRUE(CopyFileW(CLaunchProbe::ProgramPath().c_str(), launcher.c_str(), FALSE));
        return launcher;
    }

    // True when the probe did not start within a second.
    bool StaysUnstarted(const std::wstring& folder)
    {
        Sleep(1000);
        return GetFileAttributesW((folder + L"\\probe-started.txt").c_str()) == INVALID_FILE_ATTRIBUTES;
    }

    CWinTestFolder m_folder;
};

} // namespace

TEST_F(ShellOpenAsUserTest, TheLauncherIsStartedByTheDesktopShellNotByUs)
{
    const std::wstring launcher = InstallLauncher(m_folder.Path());
    CLaunchProbe started(m_folder.Path());
    CWin32OsServices services;
    ASSERT_GT(services.ShellOpenAsUser(launcher), 32);
    ASSERT_TRUE(started.WaitUntilStarted()) << "the launcher did not run";

    unsigned long nParent = 0;
    int nElevated = -1;
    ASSERT_TRUE(ReadProbeParent(m_folder.Path(), nParent, nElevated));
    EXPECT_NE(nParent, GetCurrentProcessId()) << "started by us, with our rights";
    const std::wstring parent = ProcessName(nParent);
    EXPECT_EQ(CompareStringOrdinal(parent.c_str(), -1, L"explorer.exe", -1, TRUE), CSTR_EQUAL)
        << "not started by the desktop's shell";
    // The elevated way, kept for the full installer, is ours: the probe tells the two apart.
    ASSERT_TRUE(DeleteFileWhenFree(m_folder / L"probe-started.txt"));
    ASSERT_GT(services.ShellOpen(launcher), 32);
    ASSERT_TRUE(started.WaitUntilStarted());
    unsigned long nOurs = 0;
    int nOursElevated = -1;
    ASSERT_TRUE(ReadProbeParent(m_folder.Path(), nOurs, nOursElevated));
    EXPECT_EQ(nOurs, GetCurrentProcessId());

    // Wine runs every process, its shell too, with one elevated token: there
    // the parent is all that tells the two ways apart.
    if (!IsUnderWine() && IsProcessElevated()) {
        EXPECT_EQ(nElevated, 0) << "the launcher runs elevated";
    }
}

TEST_F(ShellOpenAsUserTest, AMissingLauncherIsReportedWithoutAskingTheShell)
{
    CWin32OsServices services;
    EXPECT_EQ(services.ShellOpenAsUser(m_folder / L"brovixStart.exe"), ShellOpenResult::FileNotFound);
    const int32_t nResult = services.ShellOpenAsUser(m_folder / L"missing\\brovixStart.exe");
    EXPECT_TRUE(nResult == ShellOpenResult::FileNotFound || nResult == ShellOpenResult::PathNotFound) << nResult;
}

TEST_F(ShellOpenAsUserTest, WithoutTheShellALauncherOthersMayChangeIsNotStarted)
{
    CWin32OsServices services(false);
    // A location on another drive whose root lets Authenticated Users modify.
    ASSERT_TRUE(SetDaclFromSddl(m_folder.Path(), L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;AU)"));
    const std::wstring launcher = InstallLauncher(m_folder.Path());
    CLaunchProbe started(m_folder.Path());
    EXPECT_EQ(services.ShellOpenAsUser(launcher), ShellOpenResult::AccessDenied);
    EXPECT_TRUE(StaysUnstarted(m_folder.Path()));

    // Nor one held open by a writer, who could still change it.
    ASSERT_TRUE(SetDaclFromSddl(m_folder.Path(), L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"));
    const HANDLE hWriter = CreateFileW(launcher.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hWriter, INVALID_HANDLE_VALUE);
    EXPECT_EQ(services.ShellOpenAsUser(launcher), ShellOpenResult::AccessDenied);
    CloseHandle(hWriter);
    EXPECT_TRUE(StaysUnstarted(m_folder.Path()));
}

TEST_F(ShellOpenAsUserTest, WithoutTheShellOnlyAnAdminOnlyLauncherRunsElevated)
{
    // Where a real installer puts it: a folder only administrators may change.
    const std::wstring folder = m_folder / L"Zelqa";
    std::vector<uint8_t> descriptor;
    ASSERT_TRUE(CAdminFolder::BuildDescriptor(descriptor));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.data(), FALSE};
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), &attributes));
    const std::wstring launcher = InstallLauncher(folder);
    CLaunchProbe started(folder);
    CWin32OsServices services(false);
    const int32_t nResult = services.ShellOpenAsUser(launcher);
    if (IsUnderWine()) {
        // Wine reports every file as owned by its user, whatever was set, so
        // no launcher there ever passes: none is started elevated.
        EXPECT_EQ(nResult, ShellOpenResult::AccessDenied);
        EXPECT_TRUE(StaysUnstarted(folder));
        return;
    }
    EXPECT_GT(nResult, 32);
    EXPECT_TRUE(started.WaitUntilStarted());
}

TEST_F(ShellOpenAsUserTest, WithoutTheShellAPageIsNotOpened)
{
    CWin32OsServices services(false);
    EXPECT_EQ(services.ShellOpenAsUser(L"https://localhost:9/cn/home.html"), ShellOpenResult::AccessDenied);
}

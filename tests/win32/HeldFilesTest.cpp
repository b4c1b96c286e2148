#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "os/win32/HeldFiles.h"
#include "LaunchProbe.h"
#include "WinTestFolder.h"

namespace
{

// Every way but reading that someone else could change the file.
void ExpectUnchangeable(const std::wstring& path, const std::wstring& other)
{
    const BOOL bDeleted = DeleteFileW(path.c_str());
    const DWORD dwError = GetLastError();
    EXPECT_FALSE(bDeleted) << "deleted";
    EXPECT_EQ(dwError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    const HANDLE hWrite =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(hWrite, INVALID_HANDLE_VALUE) << "opened for writing";
    if (hWrite != INVALID_HANDLE_VALUE)
        CloseHandle(hWrite);
    EXPECT_FALSE(MoveFileExW(path.c_str(), (other + L".renamed").c_str(), 0)) << "renamed";
    EXPECT_FALSE(MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
}

class HeldFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strFile = m_folder / L"ZELQACONVERT.exe";
        m_strOther = m_folder / L"swapped.exe";
        ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFile, "fetched"));
        ASSERT_TRUE(CWinTestFolder::WriteFile(m_strOther, "swapped"));
    }

    CWinTestFolder m_folder;
    std::wstring m_strFile;
    std::wstring m_strOther;
};

} // namespace

TEST_F(HeldFilesTest, HeldFileCanBeReadButNotChanged)
{
    CHeldFiles held;
    ASSERT_TRUE(held.Hold(m_strFile));
    ExpectUnchangeable(m_strFile, m_strOther);
    EXPECT_EQ(CWinTestFolder::ReadFile(m_strFile), "fetched");

    EXPECT_TRUE(held.Release(m_strFile));
    EXPECT_FALSE(held.Release(m_strFile)) << "released twice";
    EXPECT_TRUE(MoveFileExW(m_strOther.c_str(), m_strFile.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(DeleteFileW(m_strFile.c_str()));
}

TEST_F(HeldFilesTest, NamesMatchInAnyLetterCase)
{
    CHeldFiles held;
    ASSERT_TRUE(held.Hold(m_strFile));
    std::wstring upper = m_strFile;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(held.Release(upper));
    EXPECT_TRUE(DeleteFileW(m_strFile.c_str()));
}

TEST_F(HeldFilesTest, HoldingAgainKeepsOneHandle)
{
    CHeldFiles held;
    ASSERT_TRUE(held.Hold(m_strFile));
    ASSERT_TRUE(held.Hold(m_strFile));
    ExpectUnchangeable(m_strFile, m_strOther);
    EXPECT_TRUE(held.Release(m_strFile));
    EXPECT_TRUE(DeleteFileW(m_strFile.c_str())) << "a handle of the first hold was left open";
}

TEST_F(HeldFilesTest, FileSomeoneWritesOrIsMissingIsNotHeld)
{
    CHeldFiles held;
    const HANDLE hWriter = CreateFileW(m_strFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hWriter, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(held.Hold(m_strFile)) << "a writer could still change it";
    CloseHandle(hWriter);
    EXPECT_FALSE(held.Release(m_strFile));

    EXPECT_FALSE(held.Hold(m_folder / L"missing.exe"));
    EXPECT_TRUE(held.Hold(m_strFile));
}

TEST_F(HeldFilesTest, FilesAreLetGoWithTheObject)
{
    {
        CHeldFiles held;
        ASSERT_TRUE(held.Hold(m_strFile));
        ASSERT_TRUE(held.Hold(m_strOther));
    }
    EXPECT_TRUE(DeleteFileW(m_strFile.c_str()));
    EXPECT_TRUE(DeleteFileW(m_strOther.c_str()));
}

TEST_F(HeldFilesTest, HeldProgramStillStarts)
{
    const std::wstring probe = CLaunchProbe::ProgramPath();
    ASSERT_FALSE(probe.empty()) << "zelqa-launch-probe.exe is not built beside the tests";
    ASSERT_TRUE(CopyFileW(probe.c_str(), m_strFile.c_str(), FALSE));
    CLaunchProbe started(m_folder.Path());

    CHeldFiles held;
    ASSERT_TRUE(held.Hold(m_strFile));
    const INT_PTR nResult =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", m_strFile.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_GT(nResult, 32);
    EXPECT_TRUE(started.WaitUntilStarted());
    EXPECT_TRUE(held.Release(m_strFile));
    EXPECT_TRUE(DeleteFileWhenFree(m_strFile));
}

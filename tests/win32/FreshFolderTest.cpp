#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "os/win32/FreshFolder.h"
#include "os/win32/Win32OsServices.h"
#include "FolderSecurityCheck.h"
#include "WinTestFolder.h"

namespace
{

class FreshFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_test.Path().empty());
        m_strFolder = m_test / L"brovix";
    }

    // What the test folder holds besides the download folder.
    std::vector<std::wstring> Others() const
    {
        std::vector<std::wstring> others = m_test.Entries();
        others.erase(std::remove(others.begin(), others.end(), std::wstring(L"brovix")), others.end());
        return others;
    }

    bool IsEmptyFolder(const std::wstring& folder) const
    {
        const DWORD dwAttributes = GetFileAttributesW(folder.c_str());
        if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return false;
        WIN32_FIND_DATAW data;
        const HANDLE hFind = FindFirstFileW((folder + L"\\*").c_str(), &data);
        bool bEmpty = true;
        if (hFind != INVALID_HANDLE_VALUE) {
            do
                bEmpty = bEmpty && (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0);
            while (FindNextFileW(hFind, &data));
            FindClose(hFind);
        }
        return bEmpty;
    }

    CWinTestFolder m_test;
    std::wstring m_strFolder;
};

} // namespace

TEST_F(FreshFolderTest, PlantedFolderIsMovedAsideWholeAndANewOneMade)
{
    // As a standard user can leave it beforehand: open to everyone, with a
    // DLL a program started from there would load, and the full installer's
    // progress folder made in advance.
    ASSERT_TRUE(CreateDirectoryW(m_strFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((m_strFolder + L"\\Zelqa").c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\version.dll", "planted"));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\Zelqa\\Percent.ini", "[Percent]\r\nPercent=100\r\n"));
    ASSERT_TRUE(SetDaclFromSddl(m_strFolder, L"D:P(A;OICI;FA;;;WD)"));

    std::wstring movedTo;
    ASSERT_TRUE(CFreshFolder::Make(m_strFolder, &movedTo));
    EXPECT_TRUE(IsEmptyFolder(m_strFolder)) << "the planted things are still in the download folder";
    ExpectAdminFolder(m_strFolder);

    // Nothing someone else made is deleted: it is all there, under a new name beside.
    ASSERT_FALSE(movedTo.empty());
    EXPECT_EQ(movedTo.compare(0, m_strFolder.size() + 1, m_strFolder + L"-"), 0);
    EXPECT_EQ(Others().size(), 1u);
    EXPECT_EQ(CWinTestFolder::ReadFile(movedTo + L"\\version.dll"), "planted");
    EXPECT_EQ(CWinTestFolder::ReadFile(movedTo + L"\\Zelqa\\Percent.ini"), "[Percent]\r\nPercent=100\r\n");
    EXPECT_TRUE(EveryoneMayChange(movedTo)) << "the moved folder's own rights were changed";
}

TEST_F(FreshFolderTest, LeftoversOfAnEarlierAttemptAreGoneFromTheNextFolder)
{
    ASSERT_TRUE(CFreshFolder::Make(m_strFolder));
    // What an attempt ended by a hard exit leaves: the part file, and from
    // an earlier attempt the download and the progress folder.
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\ZELQACONVERT.exe.0badc0de.part", "half a download"));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\ZELQACONVERT.exe", "MZ"));
    ASSERT_TRUE(CreateDirectoryW((m_strFolder + L"\\Zelqa").c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\Zelqa\\Percent.ini", "[Percent]\r\nPercent=57\r\n"));

    std::wstring movedTo;
    ASSERT_TRUE(CFreshFolder::Make(m_strFolder, &movedTo));
    EXPECT_TRUE(IsEmptyFolder(m_strFolder)) << "the part file outlived the attempt";
    ExpectAdminFolder(m_strFolder);
    if (IsUnderWine()) {
        // Wine reports every file as its user's, so no folder is recognised
        // as ours: the old one is moved aside rather than deleted.
        EXPECT_FALSE(movedTo.empty());
        EXPECT_EQ(CWinTestFolder::ReadFile(movedTo + L"\\ZELQACONVERT.exe.0badc0de.part"), "half a download");
    } else {
        EXPECT_TRUE(movedTo.empty()) << "our own folder was moved instead of deleted";
        EXPECT_TRUE(Others().empty());
    }
}

TEST_F(FreshFolderTest, WhatIsNotAFolderIsMovedAsideToo)
{
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder, "a file of that name"));
    std::wstring movedTo;
    ASSERT_TRUE(CFreshFolder::Make(m_strFolder, &movedTo));
    EXPECT_TRUE(IsEmptyFolder(m_strFolder));
    EXPECT_EQ(CWinTestFolder::ReadFile(movedTo), "a file of that name");
}

TEST_F(FreshFolderTest, ALinkAtTheNameIsMovedAsItselfNeverFollowed)
{
    const std::wstring elsewhere = m_test / L"elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(elsewhere + L"\\version.dll", "planted"));
    if (!CreateSymbolicLinkW(m_strFolder.c_str(), elsewhere.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        (GetFileAttributesW(m_strFolder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "this system makes no directory links that it reports as such";
    std::wstring movedTo;
    ASSERT_TRUE(CFreshFolder::Make(m_strFolder, &movedTo));
    EXPECT_TRUE(IsEmptyFolder(m_strFolder));
    EXPECT_NE(GetFileAttributesW(movedTo.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
        << "the link was not moved as itself";
    EXPECT_EQ(CWinTestFolder::ReadFile(elsewhere + L"\\version.dll"), "planted");
    RemoveDirectoryW(movedTo.c_str());
}

TEST_F(FreshFolderTest, AFolderThatCannotBeMovedFailsAndStaysAsItWas)
{
    ASSERT_TRUE(CreateDirectoryW(m_strFolder.c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\version.dll", "planted"));
    // Someone holds it open and lets nobody rename or delete it.
    const HANDLE hHeld = CreateFileW(m_strFolder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CFreshFolder::Make(m_strFolder));
    CloseHandle(hHeld);
    EXPECT_EQ(CWinTestFolder::ReadFile(m_strFolder + L"\\version.dll"), "planted");
    EXPECT_TRUE(Others().empty());

    // A drive's root, however spelt, is never taken over.
    for (const wchar_t* pszRoot : {L"C:\\", L"C:", L"c:\\.", L""})
        EXPECT_FALSE(CFreshFolder::Make(pszRoot)) << pszRoot;
}

TEST_F(FreshFolderTest, TheServicesMakeTheDownloadFolderAnewForEachAttempt)
{
    CWin32OsServices services;
    ASSERT_TRUE(CreateDirectoryW(m_strFolder.c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strFolder + L"\\version.dll", "planted"));
    ASSERT_TRUE(services.PrepareDownloadFolder(m_strFolder));
    EXPECT_TRUE(IsEmptyFolder(m_strFolder));
    ExpectAdminFolder(m_strFolder);
    ASSERT_TRUE(services.PrepareDownloadFolder(m_strFolder)) << "a second attempt";
    EXPECT_TRUE(IsEmptyFolder(m_strFolder));
}

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/InstallRecord.h"
#include "os/NameCase.h"
#include "os/win32/HexDigits.h"
#include "os/win32/Win32OsServices.h"
#include "WinTestFolder.h"

namespace
{

const wchar_t TEST_KEY[] = L"Software\\brovix\\ZelqaServicesTest";

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A value as a 32-bit program reads it, straight from the 32-bit view.
bool Read32BitView(const std::wstring& key, const std::wstring& name, DWORD& type, std::vector<uint8_t>& data)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD cbData = 0;
    bool bOk = RegQueryValueExW(hKey, name.c_str(), nullptr, &type, nullptr, &cbData) == ERROR_SUCCESS;
    data.assign(cbData, 0);
    bOk = bOk && RegQueryValueExW(hKey, name.c_str(), nullptr, &type, data.data(), &cbData) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bOk;
}

bool KeyIn64BitView(const std::wstring& key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

void DeleteTestKey(const std::wstring& key)
{
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_32KEY, 0);
}

// A drive letter that names no drive here.
std::wstring MissingDrive()
{
    const DWORD dwDrives = GetLogicalDrives();
    for (int i = 25; i >= 3; --i)
        if ((dwDrives & (1u << i)) == 0)
            return std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
    return L"";
}

class Win32Services : public ::testing::Test
{
protected:
    void TearDown() override { DeleteTestKey(TEST_KEY); }

    CWin32OsServices m_services;
    CWinTestFolder m_folder;
};

} // namespace

TEST_F(Win32Services, RegistryValuesRoundTripInThe32BitView)
{
    DeleteTestKey(TEST_KEY);
    EXPECT_FALSE(m_services.RegKeyExists(TEST_KEY));
    ASSERT_TRUE(m_services.RegEnsureKey(TEST_KEY));
    EXPECT_TRUE(m_services.RegEnsureKey(TEST_KEY)) << "an existing key is opened";
    EXPECT_TRUE(m_services.RegKeyExists(L"SOFTWARE\\BROVIX\\zelqaservicestest")) << "names match in any case";

    std::vector<uint8_t> block;
    ASSERT_TRUE(EncodeRegSz(L"D:\\Apps\\Zelqa", 260, block));
    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Path", RegType::Sz, block));
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_services.RegReadValue(TEST_KEY, L"Path", type, data));
    EXPECT_EQ(type, RegType::Sz);
    EXPECT_EQ(data, block);

    // Where a 32-bit reader looks, and only there.
    DWORD dwType = 0;
    ASSERT_TRUE(Read32BitView(TEST_KEY, L"Path", dwType, data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, block);
    EXPECT_FALSE(KeyIn64BitView(TEST_KEY));
}

TEST_F(Win32Services, RegistryValueIsReplacedAndRemoved)
{
    ASSERT_TRUE(m_services.RegEnsureKey(TEST_KEY));
    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Operation", RegType::Binary, Bytes("a longer value")));
    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Operation", RegType::Dword, {1, 0, 0, 0}));
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_services.RegReadValue(TEST_KEY, L"Operation", type, data));
    EXPECT_EQ(type, RegType::Dword);
    EXPECT_EQ(data, (std::vector<uint8_t>{1, 0, 0, 0}));

    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Empty", RegType::Binary, {}));
    ASSERT_TRUE(m_services.RegReadValue(TEST_KEY, L"Empty", type, data));
    EXPECT_TRUE(data.empty());

    EXPECT_TRUE(m_services.RegRemoveValue(TEST_KEY, L"Operation"));
    EXPECT_FALSE(m_services.RegRemoveValue(TEST_KEY, L"Operation"));
    EXPECT_FALSE(m_services.RegReadValue(TEST_KEY, L"Operation", type, data));
}

TEST_F(Win32Services, MissingKeyCanBeNeitherWrittenNorRead)
{
    const std::wstring key = std::wstring(TEST_KEY) + L"\\Missing";
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    EXPECT_FALSE(m_services.RegKeyExists(key));
    EXPECT_FALSE(m_services.RegWriteValue(key, L"Path", RegType::Sz, Bytes("x")));
    EXPECT_FALSE(m_services.RegReadValue(key, L"Path", type, data));
    EXPECT_FALSE(m_services.RegRemoveValue(key, L"Path"));
}

TEST_F(Win32Services, RecordValuesOver64KiBReadAsUnreadable)
{
    ASSERT_TRUE(m_services.RegEnsureKey(TEST_KEY));
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    const std::vector<uint8_t> largest(64 * 1024, 0x5A);
    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Operation", RegType::Binary, largest));
    ASSERT_TRUE(m_services.RegReadValue(TEST_KEY, L"Operation", type, data));
    EXPECT_EQ(data, largest);

    ASSERT_TRUE(m_services.RegWriteValue(TEST_KEY, L"Operation", RegType::Binary, std::vector<uint8_t>(64 * 1024 + 1)));
    EXPECT_FALSE(m_services.RegReadValue(TEST_KEY, L"Operation", type, data));

    // As another process could leave it: a string of 4 MiB.
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEST_KEY, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &hKey), ERROR_SUCCESS);
    const std::wstring huge(2 * 1024 * 1024, L'U');
    const LSTATUS status = RegSetValueExW(hKey, L"Operation", 0, REG_SZ, reinterpret_cast<const BYTE*>(huge.c_str()),
                                          static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_FALSE(m_services.RegReadValue(TEST_KEY, L"Operation", type, data));
    std::wstring text;
    EXPECT_FALSE(RegGetString(m_services, TEST_KEY, L"Operation", text));
}

TEST_F(Win32Services, InstallRecordLandsWhereTheFullInstallerLooks)
{
    ASSERT_TRUE(WriteInstallRecord(m_services, L"D:\\Apps\\Zelqa"));
    DWORD dwType = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(Read32BitView(INSTALL_RECORD_KEY, L"Path", dwType, data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(data.size(), 520u);
    EXPECT_EQ(DecodeRegSz(data), L"D:\\Apps\\Zelqa");
    ASSERT_TRUE(Read32BitView(INSTALL_RECORD_KEY, L"Operation", dwType, data));
    EXPECT_EQ(data, std::vector<uint8_t>(520, 0));
    EXPECT_FALSE(IsOperationUninstall(m_services));

    // The full installer, a 32-bit program, signals the end.
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &hKey),
              ERROR_SUCCESS);
    const wchar_t szUninstall[] = L"UnInstall";
    RegSetValueExW(hKey, L"Operation", 0, REG_SZ, reinterpret_cast<const BYTE*>(szUninstall), sizeof(szUninstall));
    RegCloseKey(hKey);
    EXPECT_TRUE(IsOperationUninstall(m_services));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\brovix");
    DeleteTestKey(INSTALL_RECORD_KEY);
}

TEST_F(Win32Services, DriveKindsFollowTheFirstTwoCharacters)
{
    EXPECT_EQ(m_services.GetDriveKind(L"C:"), DriveKind::Fixed);
    EXPECT_EQ(m_services.GetDriveKind(L"c:\\Program Files (x86)\\brovix\\Zelqa"), DriveKind::Fixed);
    const std::wstring missing = MissingDrive();
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(m_services.GetDriveKind(missing), DriveKind::NoRootDir);
    EXPECT_EQ(m_services.GetDriveKind(missing + L"\\Apps"), DriveKind::NoRootDir);
    for (const wchar_t* pszRoot : {L"", L"C", L":\\Program Files (x86)", L"1:", L"\\\\server\\share"})
        EXPECT_EQ(m_services.GetDriveKind(pszRoot), DriveKind::NoRootDir) << pszRoot;
}

TEST_F(Win32Services, FreeBytesForTheCaller)
{
    uint64_t nBytes = 0;
    ASSERT_TRUE(m_services.GetFreeBytesForCaller(L"C:\\Program Files (x86)\\brovix\\Zelqa", nBytes));
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    EXPECT_GT(nBytes, 0u);
    EXPECT_LE(nBytes, total.QuadPart);
    EXPECT_FALSE(m_services.GetFreeBytesForCaller(MissingDrive(), nBytes));
    EXPECT_FALSE(m_services.GetFreeBytesForCaller(L":\\Program Files (x86)", nBytes));
}

TEST_F(Win32Services, DesktopFolderIsADrivePath)
{
    std::wstring desktop;
    ASSERT_TRUE(m_services.GetDesktopFolder(desktop));
    std::wstring root;
    EXPECT_TRUE(CWin32OsServices::DriveRootOf(desktop, root)) << desktop;
}

TEST_F(Win32Services, NativePathsAreDrivePaths)
{
    std::wstring native;
    ASSERT_TRUE(m_services.ToNativePath(L"D:\\brovix\\ZELQACONVERT.exe", native));
    EXPECT_EQ(native, L"D:\\brovix\\ZELQACONVERT.exe");
    EXPECT_FALSE(m_services.ToNativePath(L"brovix\\ZELQACONVERT.exe", native));

    std::wstring path;
    ASSERT_TRUE(m_services.FromNativePath(m_folder / L"sub\\..\\file.txt", path));
    EXPECT_EQ(path, m_folder / L"file.txt");
    EXPECT_FALSE(m_services.FromNativePath(L"\\\\server\\share\\file.txt", path));
}

TEST_F(Win32Services, FoldersAndFiles)
{
    const std::wstring folder = m_folder / L"brovix";
    EXPECT_FALSE(m_services.IsDirectory(folder));
    EXPECT_TRUE(m_services.CreateFolder(folder));
    EXPECT_TRUE(m_services.IsDirectory(folder));
    EXPECT_TRUE(m_services.CreateFolder(folder)) << "an existing folder counts";
    EXPECT_FALSE(m_services.CreateFolder(m_folder / L"missing\\brovix")) << "only one level is made";
    EXPECT_FALSE(m_services.FileExists(folder));

    const std::wstring file = folder + L"\\ZELQACONVERT.exe";
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "MZ"));
    EXPECT_TRUE(m_services.FileExists(file));
    EXPECT_FALSE(m_services.IsDirectory(file));
    EXPECT_FALSE(m_services.CreateFolder(file)) << "a file has that name";
    EXPECT_FALSE(m_services.RemoveFile(folder)) << "folders are not removed";
    EXPECT_TRUE(m_services.RemoveFile(file));
    EXPECT_FALSE(m_services.FileExists(file));
    EXPECT_FALSE(m_services.RemoveFile(file));
}

TEST_F(Win32Services, ProgressFileIntegers)
{
    const std::wstring file = m_folder / L"Percent.ini";
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "[Percent]\r\nPercent=57\r\n"));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, file), 57);
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"PERCENT", L"percent", 0, file), 57) << "names match in any case";
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Other", 7, file), 7);
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Other", L"Percent", 7, file), 7);

    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "[Percent]\r\nPercent=57%\r\n"));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, file), 57);
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "[Percent]\r\nPercent=150\r\n"));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, file), 150) << "read afresh";

    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, m_folder / L"missing.ini"), 0);
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 42, m_folder / L"missing.ini"), 42);
}

TEST(Win32NameCase, NamesCompareAsTheFileSystemComparesThem)
{
    EXPECT_EQ(FoldCase(L'a'), L'A');
    EXPECT_EQ(FoldCase(L'\u00e9'), L'\u00c9');
    EXPECT_EQ(FoldCase(L'7'), L'7');
    EXPECT_TRUE(EqualsNoCase(L"Percent", L"PERCENT"));
    EXPECT_TRUE(EqualsNoCase(L"\u00e9t\u00e9", L"\u00c9T\u00c9"));
    EXPECT_FALSE(EqualsNoCase(L"Percent", L"Percent "));
}

TEST(Win32HexDigits, EightLowerCaseDigitsAsPrintfWritesThem)
{
    std::wstring text = L"x.";
    AppendHex8(text, 0);
    EXPECT_EQ(text, L"x.00000000");
    for (uint32_t n : {0x1u, 0xABCDEF01u, 0xFFFFFFFFu, 0x0F0F0F0Fu, 0x80000000u}) {
        wchar_t expected[16];
        std::swprintf(expected, 16, L"%08x", n);
        std::wstring got;
        AppendHex8(got, n);
        EXPECT_EQ(got, expected) << n;
    }
}

TEST_F(Win32Services, ProgressFileIsReadOnlyWithinItsBounds)
{
    const std::wstring folder = m_folder / L"Zelqa";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring file = folder + L"\\Percent.ini";
    // At most 64 KiB: a huge file put there is not read into memory.
    const std::string head = "[Percent]\r\nPercent=57\r\n";
    std::string padded = head + std::string(64 * 1024 - head.size(), ';');
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, padded));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 57) << "exactly 64 KiB is read";
    padded += ";";
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, padded));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 7) << "a larger file was read";

    // UTF-16 as the platform writes it with its own calls.
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, std::string("\xff\xfe[\0P\0]\0\n\0P\0=\0\x34\0\x32\0", 18)));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"P", L"P", 7, file), 42);

    // A folder in the file's place reads as missing.
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 7);
    EXPECT_FALSE(m_services.RemoveFile(file));
}

TEST_F(Win32Services, ProgressFileIsNeverReachedThroughALink)
{
    // The full installer's folder replaced by a link to somewhere else.
    const std::wstring elsewhere = m_folder / L"elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(elsewhere + L"\\Percent.ini", "[Percent]\r\nPercent=100\r\n"));
    const std::wstring link = m_folder / L"Zelqa";
    if (!CreateSymbolicLinkW(link.c_str(), elsewhere.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "this system makes no directory links that it reports as such";
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, link + L"\\Percent.ini"), 7);
    EXPECT_FALSE(m_services.RemoveFile(link + L"\\Percent.ini"));
    EXPECT_EQ(CWinTestFolder::ReadFile(elsewhere + L"\\Percent.ini"), "[Percent]\r\nPercent=100\r\n");
    RemoveDirectoryW(link.c_str());
}

TEST_F(Win32Services, ProgressFileReadBeforeIsNotReachedThroughALinkLater)
{
    // Read once through real folders, then the folder swapped for a link to
    // another file of the same name: that file is never read.
    const std::wstring folder = m_folder / L"Zelqa";
    const std::wstring moved = m_folder / L"moved";
    const std::wstring elsewhere = m_folder / L"elsewhere";
    const std::wstring file = folder + L"\\Percent.ini";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(CWinTestFolder::WriteFile(file, "[Percent]\r\nPercent=57\r\n"));
    ASSERT_TRUE(CWinTestFolder::WriteFile(elsewhere + L"\\Percent.ini", "[Percent]\r\nPercent=100\r\n"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 57) << "read " << i;

    // Another file put in its place (written beside it and renamed over
    // it) is read afresh.
    const std::wstring fresh = folder + L"\\Percent.new";
    ASSERT_TRUE(CWinTestFolder::WriteFile(fresh, "[Percent]\r\nPercent=58\r\n"));
    ASSERT_TRUE(MoveFileExW(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 58);

    ASSERT_TRUE(MoveFileW(folder.c_str(), moved.c_str()));
    if (!CreateSymbolicLinkW(folder.c_str(), elsewhere.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        (GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "this system makes no directory links that it reports as such";
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 7);
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 7) << "asked again";
    RemoveDirectoryW(folder.c_str());

    // The real folder back: its file is read again.
    ASSERT_TRUE(MoveFileW(moved.c_str(), folder.c_str()));
    EXPECT_EQ(m_services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 58);
}

TEST_F(Win32Services, ShellOpenFollowsTheGreaterThan32Rule)
{
    EXPECT_EQ(m_services.ShellOpen(m_folder / L"missing.exe"), ShellOpenResult::FileNotFound);
    const int32_t nMissingFolder = m_services.ShellOpen(m_folder / L"missing\\missing.exe");
    EXPECT_TRUE(nMissingFolder == ShellOpenResult::PathNotFound || nMissingFolder == ShellOpenResult::FileNotFound)
        << nMissingFolder;

    wchar_t szSystem[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(szSystem, MAX_PATH), 0u);
    EXPECT_GT(m_services.ShellOpen(std::wstring(szSystem) + L"\\hostname.exe"), 32);
}

TEST_F(Win32Services, ThreadRunsItsBodyOnItsOwnAndFreesIt)
{
    std::atomic<DWORD> threadId{0};
    auto pToken = std::make_shared<int>(0);
    std::weak_ptr<int> token = pToken;
    ASSERT_TRUE(m_services.StartThread([&threadId, pToken] { threadId = GetCurrentThreadId(); }));
    pToken.reset();
    for (int i = 0; i < 500 && (threadId == 0 || !token.expired()); ++i)
        Sleep(10);
    EXPECT_NE(threadId.load(), 0u);
    EXPECT_NE(threadId.load(), GetCurrentThreadId());
    EXPECT_TRUE(token.expired()) << "the body is freed once it has run";

    EXPECT_FALSE(m_services.StartThread(std::function<void()>()));
}

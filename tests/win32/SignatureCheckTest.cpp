#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "wizard/VendorHost.h"
#include "os/win32/Win32OsServices.h"
#include "WinTestFolder.h"

namespace
{

// The launch probe as the build signed it (tests/win32/TrustTests.cmake):
// for the dev builds' publisher, for another publisher under the same trusted
// CA, and for the dev publisher's name under a CA that nobody trusts.
std::wstring BuiltProbe(const wchar_t* pszName)
{
    wchar_t szSelf[MAX_PATH] = {};
    const DWORD nLength = GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return L"";
    std::wstring path(szSelf, nLength);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"signed-probes\\" + pszName;
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool Deletable(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != FALSE;
}

class SignatureCheck : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(m_folder.Path().empty()); }

    // A copy of a built probe in the test folder, as a download would be.
    std::wstring Copy(const wchar_t* pszName)
    {
        const std::string bytes = CWinTestFolder::ReadFile(BuiltProbe(pszName));
        EXPECT_GT(bytes.size(), 4096u) << "missing " << testing::PrintToString(BuiltProbe(pszName));
        const std::wstring path = m_folder / pszName;
        EXPECT_TRUE(CWinTestFolder::WriteFile(path, bytes));
        return path;
    }

    CWinTestFolder m_folder;
    CWin32OsServices m_services;
    const std::wstring m_strPublisher = VendorPublisher();
};

} // namespace

TEST_F(SignatureCheck, TheVendorsSignedProgramPassesAndStaysHeldUntilStarted)
{
    const std::wstring program = Copy(L"signed.exe");
    EXPECT_TRUE(m_services.IsFromPublisher(program, m_strPublisher));
    // What was checked can no longer change before it is started.
    EXPECT_FALSE(Deletable(program)) << "not held after the check";
    // Asked again (held by now), the answer holds.
    EXPECT_TRUE(m_services.IsFromPublisher(program, m_strPublisher));

    // The name must match exactly.
    ASSERT_NE(Upper(m_strPublisher), m_strPublisher);
    for (const std::wstring& other :
         {std::wstring(), m_strPublisher + L" ", m_strPublisher.substr(1), Upper(m_strPublisher)})
        EXPECT_FALSE(m_services.IsFromPublisher(program, other)) << testing::PrintToString(other);
    // A failed check lets the file go, so that it can be removed.
    EXPECT_TRUE(Deletable(program));
}

TEST_F(SignatureCheck, UnsignedChangedForeignAndUntrustedProgramsFail)
{
    const std::wstring plain = Copy(L"unsigned.exe");
    const std::wstring other = Copy(L"other-publisher.exe");
    const std::wstring untrusted = Copy(L"untrusted-root.exe");
    // One byte of the signed program's code changed: its digest no longer matches.
    const std::wstring tampered = m_folder / L"tampered.exe";
    std::string bytes = CWinTestFolder::ReadFile(BuiltProbe(L"signed.exe"));
    ASSERT_GT(bytes.size(), 4096u);
    bytes[bytes.size() / 3] ^= 0x01;
    ASSERT_TRUE(CWinTestFolder::WriteFile(tampered, bytes));

    for (const std::wstring& program : {plain, tampered, other, untrusted}) {
        EXPECT_FALSE(m_services.IsFromPublisher(program, m_strPublisher)) << testing::PrintToString(program);
        EXPECT_TRUE(Deletable(program)) << "still held after a failed check: " << testing::PrintToString(program);
    }
    // Another publisher's own name does pass for it: the chain itself is sound.
    const std::wstring other2 = Copy(L"other-publisher.exe");
    EXPECT_TRUE(m_services.IsFromPublisher(other2, L"Zelqa Other Publisher"));
    // Neither a missing file nor a folder is anybody's program.
    EXPECT_FALSE(m_services.IsFromPublisher(m_folder / L"missing.exe", m_strPublisher));
    EXPECT_FALSE(m_services.IsFromPublisher(m_folder.Path(), m_strPublisher));
}

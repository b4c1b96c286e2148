#include "os/IniReader.h"
#include "os/posix/PosixOsServices.h"

#include "GuardedChild.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

int32_t Percent(const std::wstring& content, int32_t defaultValue = -7)
{
    return CIniReader::GetInt(content, L"Percent", L"Percent", defaultValue);
}

} // namespace

TEST(OsIniReader, NamesMatchInAnyCaseAndBlanksAreIgnored)
{
    EXPECT_EQ(Percent(L"[Percent]\r\nPercent=57\r\n"), 57);
    EXPECT_EQ(Percent(L"[PERCENT]\npercent=57"), 57);
    EXPECT_EQ(Percent(L"  [ Percent ]  \n\t Percent \t=   42  \n"), 42);
    EXPECT_EQ(Percent(L"[Other]\nPercent=1\n[Percent]\nOther=2\nPercent=3\n"), 3);
    EXPECT_EQ(Percent(L"[Percent]\n;Percent=99\nPercent=\"88\"\n"), 88);
    // The first of repeated keys and sections counts.
    EXPECT_EQ(Percent(L"[Percent]\nPercent=10\nPercent=20\n[Percent]\nPercent=30\n"), 10);
    EXPECT_EQ(Percent(L"[Percent]\rPercent=12\r"), 12);
}

TEST(OsIniReader, MissingSectionKeyOrValueGivesTheDefault)
{
    EXPECT_EQ(Percent(L""), -7);
    EXPECT_EQ(Percent(L"Percent=50\n"), -7); // outside any section
    EXPECT_EQ(Percent(L"[Other]\nPercent=50\n"), -7);
    EXPECT_EQ(Percent(L"[Percent]\nPercentage=50\n"), -7);
    EXPECT_EQ(Percent(L"[Percent]\nPercent=\n"), -7);
    EXPECT_EQ(Percent(L"[Percent]\nPercent\n"), -7);
    EXPECT_EQ(Percent(L"[Percent]\n[Next]\nPercent=5\n"), -7);
}

TEST(OsIniReader, ValuesParseLikeThePlatformsIntegerReader)
{
    EXPECT_EQ(CIniReader::ParseInt(L"57%"), 57);
    EXPECT_EQ(CIniReader::ParseInt(L"  \t 100"), 100);
    EXPECT_EQ(CIniReader::ParseInt(L"-15"), -15);
    EXPECT_EQ(CIniReader::ParseInt(L"+7"), 7);
    EXPECT_EQ(CIniReader::ParseInt(L"abc"), 0);
    EXPECT_EQ(CIniReader::ParseInt(L"- 5"), 0);
    EXPECT_EQ(CIniReader::ParseInt(L"--5"), 0);
    EXPECT_EQ(CIniReader::ParseInt(L"12 34"), 12);
    EXPECT_EQ(CIniReader::ParseInt(L"0x1F"), 31);
    EXPECT_EQ(CIniReader::ParseInt(L"0X1fz"), 31);
    EXPECT_EQ(CIniReader::ParseInt(L"-0x10"), -16);
    EXPECT_EQ(CIniReader::ParseInt(L"0o17"), 15);
    EXPECT_EQ(CIniReader::ParseInt(L"0b1012"), 5);
    EXPECT_EQ(CIniReader::ParseInt(L"0x"), 0);
    EXPECT_EQ(CIniReader::ParseInt(L"099"), 99);
    // Wraps at 32 bits rather than saturating.
    EXPECT_EQ(CIniReader::ParseInt(L"4294967396"), 100);
    EXPECT_EQ(CIniReader::ParseInt(L"4294967295"), -1);
    // Garbage is 0, not the default: the key is there.
    EXPECT_EQ(Percent(L"[Percent]\nPercent=done\n"), 0);
}

TEST(OsIniReader, FileEncodingsAreRecognised)
{
    const std::string utf16 = Bytes("\xFF\xFE[\0P\0e\0r\0c\0e\0n\0t\0]\0\n\0P\0e\0r\0c\0e\0n\0t\0=\0"
                                    "9\0"
                                    "1\0");
    EXPECT_EQ(Percent(CIniReader::Decode(utf16)), 91);
    EXPECT_EQ(Percent(CIniReader::Decode(utf16.substr(2))), 91); // no byte-order mark
    EXPECT_EQ(Percent(CIniReader::Decode("\xEF\xBB\xBF[Percent]\nPercent=64\n")), 64);
    const std::string bigEndian = Bytes("\xFE\xFF\0[\0P\0]\0\n\0P\0=\0"
                                        "5");
    EXPECT_EQ(CIniReader::GetInt(CIniReader::Decode(bigEndian), L"p", L"p", 0), 5);
}

TEST(OsIniReader, SurrogatePairsBecomeOneCharacterInEitherByteOrder)
{
    std::wstring value;
    const std::string little = Bytes("\xFF\xFE[\0s\0]\0\n\0k\0=\0"
                                     "\x34\xD8\x1E\xDD"
                                     "!"); // odd last byte
    ASSERT_TRUE(CIniReader::FindValue(CIniReader::Decode(little), L"s", L"k", value));
    EXPECT_EQ(value, L"\U0001D11E");
    const std::string big = Bytes("\xFE\xFF\0[\0s\0]\0\n\0k\0="
                                  "\xD8\x34\xDD\x1E");
    ASSERT_TRUE(CIniReader::FindValue(CIniReader::Decode(big), L"s", L"k", value));
    EXPECT_EQ(value, L"\U0001D11E");
}

TEST(OsIniReader, ProgressFileIsReadThroughItsDrivePath)
{
    CTestFolder prefix;
    CTestFolder data;
    CPosixOsServices::Options options;
    options.m_strPrefix = prefix.Path();
    CPosixOsServices services(options);
    ASSERT_EQ(symlink(data.Path().c_str(), (prefix / "dosdevices/d:").c_str()), 0);
    const std::wstring file = L"D:\\brovix\\Zelqa\\Percent.ini";

    EXPECT_EQ(services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, file), 0); // no file yet
    CTestFolder::MakeFolders(data / "brovix/Zelqa");
    CTestFolder::WriteFile(data / "brovix/Zelqa/Percent.ini", "[Percent]\r\nPercent=57\r\n");
    EXPECT_EQ(services.ReadPrivateProfileInt(L"Percent", L"Percent", 0, file), 57);
    // Read afresh each time; letter case of the path does not matter.
    CTestFolder::WriteFile(data / "brovix/Zelqa/Percent.ini", "[Percent]\r\nPercent=100\r\n");
    EXPECT_EQ(services.ReadPrivateProfileInt(L"percent", L"PERCENT", 0, L"d:\\BROVIX\\zelqa\\percent.INI"), 100);
    EXPECT_EQ(services.ReadPrivateProfileInt(L"Percent", L"Percent", 3, L"Q:\\Percent.ini"), 3);
}

TEST(OsIniReader, OnlySmallRegularFilesAreReadAndNothingElseBlocksOrSwells)
{
    CTestFolder prefix;
    CTestFolder data;
    CPosixOsServices::Options options;
    options.m_strPrefix = prefix.Path();
    CPosixOsServices services(options);
    ASSERT_EQ(symlink(data.Path().c_str(), (prefix / "dosdevices/d:").c_str()), 0);
    CTestFolder::MakeFolders(data / "brovix/Zelqa");
    const std::string host = data / "brovix/Zelqa/Percent.ini";
    const std::wstring file = L"D:\\brovix\\Zelqa\\Percent.ini";
    // In a child with a time and memory limit: today's code must not hang
    // the monitor, and a regression must fail here rather than hang the suite.
    const auto readsAsMissing = [&] {
        return RunGuardedChild(
            [&] { return services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file) == 7 ? 0 : 1; }, 5,
            size_t(1) << 30);
    };

    ASSERT_EQ(mkfifo(host.c_str(), 0644), 0);
    EXPECT_EQ(readsAsMissing(), 0) << "a FIFO nobody writes to";
    ASSERT_EQ(unlink(host.c_str()), 0);
    ASSERT_EQ(mkfifo((data / "fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink((data / "fifo").c_str(), host.c_str()), 0);
    EXPECT_EQ(readsAsMissing(), 0) << "a link to a FIFO";
    ASSERT_EQ(unlink(host.c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", host.c_str()), 0);
    EXPECT_EQ(readsAsMissing(), 0) << "a link to /dev/zero";
    ASSERT_EQ(unlink(host.c_str()), 0);

    // 64 KiB is read; one byte more is no progress file.
    const std::string value = "[Percent]\r\nPercent=57\r\n";
    CTestFolder::WriteFile(host, value + std::string(64 * 1024 - value.size(), ' '));
    EXPECT_EQ(services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 57);
    CTestFolder::WriteFile(host, value + std::string(64 * 1024 + 1 - value.size(), ' '));
    EXPECT_EQ(readsAsMissing(), 0) << "a file beyond 64 KiB";

    // A link to a regular file is followed, as the platform follows it.
    ASSERT_EQ(unlink(host.c_str()), 0);
    CTestFolder::WriteFile(data / "real.ini", "[Percent]\r\nPercent=64\r\n");
    ASSERT_EQ(symlink((data / "real.ini").c_str(), host.c_str()), 0);
    EXPECT_EQ(services.ReadPrivateProfileInt(L"Percent", L"Percent", 7, file), 64);
}

#include "os/posix/PosixOsServices.h"
#include "base/Utf8.h"
#include "os/posix/Prefix.h"
#include "os/posix/RegistryFormat.h"
#include "os/posix/RegistryStore.h"
#include "os/posix/WideText.h"

#include "GuardedChild.h"
#include "TestFolder.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

const wchar_t* const KEY = L"Software\\brovix\\Zelqa";

class OsRegistry : public ::testing::Test
{
protected:
    OsRegistry() : m_services(MakeOptions(m_prefix)) {}

    static CPosixOsServices::Options MakeOptions(const CTestFolder& prefix)
    {
        CPosixOsServices::Options options;
        options.m_strPrefix = prefix.Path();
        return options;
    }

    std::string KeyFolder() const { return CPrefix::RegistryRoot(m_prefix.Path()) + "/Software/brovix/Zelqa"; }

    CTestFolder m_prefix;
    CPosixOsServices m_services;
};

std::vector<uint8_t> Utf16(const std::wstring& text)
{
    std::vector<uint8_t> data;
    AppendUtf16Le(text, data);
    return data;
}

size_t CountEntries(const std::string& folder)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

} // namespace

TEST_F(OsRegistry, InstallRecordBlocksRoundTripByteForByte)
{
    ASSERT_FALSE(m_services.RegKeyExists(KEY));
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Path", L"D:\\Apps\\Zelqa", 260));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Operation", L"", 260));

    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Path", type, data));
    EXPECT_EQ(type, RegType::Sz);
    std::vector<uint8_t> expected = Utf16(L"D:\\Apps\\Zelqa");
    expected.resize(520, 0);
    EXPECT_EQ(data, expected);

    std::wstring text;
    EXPECT_TRUE(RegGetString(m_services, KEY, L"Path", text));
    EXPECT_EQ(text, L"D:\\Apps\\Zelqa");
    EXPECT_TRUE(RegGetString(m_services, KEY, L"Operation", text));
    EXPECT_EQ(text, L"");
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Operation", type, data));
    EXPECT_EQ(data, std::vector<uint8_t>(520, 0));

    // The documented file layout: the type line, then the data unchanged.
    const std::string file = CTestFolder::ReadFile(KeyFolder() + "/@Path");
    EXPECT_EQ(file, "REG_SZ\n" + std::string(expected.begin(), expected.end()));
}

TEST_F(OsRegistry, TextsAreReadUpToTheFirstZeroAndBlocksNeverOverflow)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    std::vector<uint8_t> data = Utf16(L"UnInstall");
    data.insert(data.end(), {0, 0, 'x', 0});
    ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Operation", RegType::Sz, data));
    std::wstring text;
    EXPECT_TRUE(RegGetString(m_services, KEY, L"Operation", text));
    EXPECT_EQ(text, L"UnInstall");

    // 259 characters and the zero fill the block; 260 leave no room and are refused.
    EXPECT_TRUE(RegSetString(m_services, KEY, L"Path", std::wstring(259, L'a'), 260));
    EXPECT_FALSE(RegSetString(m_services, KEY, L"Path", std::wstring(260, L'b'), 260));
    EXPECT_TRUE(RegGetString(m_services, KEY, L"Path", text));
    EXPECT_EQ(text, std::wstring(259, L'a'));

    // Without a block size the text keeps exactly one terminating zero.
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Short", L"ab"));
    RegType type = RegType::None;
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Short", type, data));
    EXPECT_EQ(data, (std::vector<uint8_t>{'a', 0, 'b', 0, 0, 0}));

    ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Count", RegType::Dword, {1, 0, 0, 0}));
    EXPECT_FALSE(RegGetString(m_services, KEY, L"Count", text));
    EXPECT_FALSE(RegGetString(m_services, KEY, L"Missing", text));
    EXPECT_FALSE(m_services.RegWriteValue(L"Software\\Nowhere", L"x", RegType::Sz, {0, 0}));
}

TEST_F(OsRegistry, NamesMatchInAnyCaseAndKeepTheirStoredCase)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Path", L"first"));
    EXPECT_TRUE(m_services.RegKeyExists(L"SOFTWARE\\BROVIX\\ZELQA"));
    EXPECT_TRUE(m_services.RegEnsureKey(L"software\\Brovix\\zelqa\\"));
    ASSERT_TRUE(RegSetString(m_services, L"software\\BROVIX\\zelqa", L"PATH", L"second"));

    std::wstring text;
    EXPECT_TRUE(RegGetString(m_services, KEY, L"path", text));
    EXPECT_EQ(text, L"second");
    // One folder per key and one file per value, under the first-written names.
    EXPECT_EQ(CountEntries(CPrefix::RegistryRoot(m_prefix.Path()) + "/Software"), 1u);
    EXPECT_EQ(CountEntries(KeyFolder()), 1u);
    EXPECT_TRUE(CTestFolder::Exists(KeyFolder() + "/@Path"));

    const CRegistryStore store(CPrefix::RegistryRoot(m_prefix.Path()));
    std::wstring stored;
    ASSERT_TRUE(store.StoredKeyPath(L"SOFTWARE\\brovix\\ZELQA", stored));
    EXPECT_EQ(stored, KEY);
    EXPECT_TRUE(m_services.RegRemoveValue(KEY, L"pAtH"));
    EXPECT_FALSE(m_services.RegRemoveValue(KEY, L"Path"));
}

TEST_F(OsRegistry, AwkwardNamesSurviveTheTripThroughFileNames)
{
    const std::wstring key = L"Software\\.hidden\\@at\\a/b%20c\\应用";
    ASSERT_TRUE(m_services.RegEnsureKey(key));
    const std::vector<std::wstring> names = {L"", L"a/b", L"100%", L".dot", L"@", L"tab\there", L"名字"};
    for (const std::wstring& name : names)
        ASSERT_TRUE(RegSetString(m_services, key, name, L"v:" + name)) << ToUtf8(name);

    const CRegistryStore store(CPrefix::RegistryRoot(m_prefix.Path()));
    std::vector<std::wstring> listed;
    ASSERT_TRUE(store.ListValues(key, listed));
    EXPECT_EQ(listed.size(), names.size());
    for (const std::wstring& name : names) {
        std::wstring text;
        EXPECT_TRUE(RegGetString(m_services, key, name, text));
        EXPECT_EQ(text, L"v:" + name);
    }
    std::vector<std::wstring> subkeys;
    ASSERT_TRUE(store.ListSubkeys(L"Software", subkeys));
    EXPECT_EQ(subkeys, std::vector<std::wstring>{L".hidden"});

    std::vector<std::wstring> split;
    EXPECT_FALSE(CRegistryFormat::SplitKeyPath(L"Software\\\\Zelqa", split));
    EXPECT_FALSE(CRegistryFormat::SplitKeyPath(L"\\Software", split));
    EXPECT_FALSE(CRegistryFormat::SplitKeyPath(std::wstring(256, L'k'), split));
}

TEST_F(OsRegistry, ReadersSeeTheOldOrTheNewValueNeverAMix)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    std::vector<uint8_t> first = Utf16(L"UnInstall");
    first.resize(520, 0);
    const std::vector<uint8_t> second(520, 0x41);
    ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Operation", RegType::Sz, first));

    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        // A second services object, as another process would have.
        CPosixOsServices other(MakeOptions(m_prefix));
        while (!done.load()) {
            RegType type = RegType::None;
            std::vector<uint8_t> data;
            if (!other.RegReadValue(KEY, L"Operation", type, data) || (data != first && data != second))
                badReads.fetch_add(1);
            reads.fetch_add(1);
        }
    });
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Operation", RegType::Sz, i % 2 == 0 ? second : first));
    done.store(true);
    reader.join();

    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(badReads.load(), 0);
    EXPECT_EQ(CountEntries(KeyFolder()), 1u); // no temporary file left behind
}

TEST_F(OsRegistry, ValuesAreBoundedTo64KiBWrittenOrRead)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    const std::vector<uint8_t> largest(64 * 1024, 0x5A);
    ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Blob", RegType::Binary, largest));
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Blob", type, data));
    EXPECT_EQ(data, largest);
    // What could not be read back is not written, and the old value stays.
    EXPECT_FALSE(m_services.RegWriteValue(KEY, L"Blob", RegType::Binary, std::vector<uint8_t>(64 * 1024 + 1, 1)));
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Blob", type, data));
    EXPECT_EQ(data, largest);

    // A huge value file put there by someone else is unreadable, not read whole.
    const std::string file = KeyFolder() + "/@Operation";
    CTestFolder::WriteFile(file, "REG_BINARY\n");
    ASSERT_EQ(truncate(file.c_str(), 256 * 1024 * 1024), 0);
    data = {1, 2, 3};
    EXPECT_FALSE(m_services.RegReadValue(KEY, L"Operation", type, data));
    CTestFolder::WriteFile(file, "REG_BINARY\n" + std::string(64 * 1024 + 1, 'x'));
    EXPECT_FALSE(m_services.RegReadValue(KEY, L"Operation", type, data));
}

TEST_F(OsRegistry, AFifoSwappedInForAValueNeverBlocksTheReader)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(m_services.RegWriteValue(KEY, L"Operation", RegType::Sz, std::vector<uint8_t>(520, 0)));
    const std::string value = KeyFolder() + "/@Operation";
    const std::string fifo = m_prefix / "fifo";
    const std::string regular = m_prefix / "regular";

    // Another process keeps swapping a FIFO (that nobody writes to) and a
    // regular value file under the value's name, so that some reads find the
    // FIFO between the lookup and the open.
    const pid_t swapper = fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        alarm(60);
        for (;;) {
            if (mkfifo(fifo.c_str(), 0644) == 0)
                rename(fifo.c_str(), value.c_str());
            const int fd = open(regular.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ssize_t ignored = write(fd, "REG_SZ\n\0\0", 9);
                (void)ignored;
                close(fd);
                rename(regular.c_str(), value.c_str());
            }
        }
    }
    int found = 0;
    const int result = RunGuardedChild(
        [&] {
            for (int i = 0; i < 5000; ++i) {
                RegType type = RegType::None;
                std::vector<uint8_t> data;
                found += m_services.RegReadValue(KEY, L"Operation", type, data) ? 1 : 0;
            }
            return found > 0 ? 0 : 1;
        },
        10);
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    EXPECT_EQ(result, 0) << "a read blocked on the FIFO, or none found the regular file";
}

#include "os/posix/FileDescriptor.h"
#include "os/posix/Folders.h"
#include "os/posix/Prefix.h"
#include "os/posix/RegistryStore.h"
#include "os/posix/WideText.h"

#include "TestFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{

bool IsOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

} // namespace

TEST(OsFolders, MakesEveryMissingParentAndTakesLinksToFoldersAsFolders)
{
    CTestFolder root;
    EXPECT_TRUE(MakeFolders(root / "a/b/c"));
    EXPECT_TRUE(FolderExists(root / "a/b/c"));
    EXPECT_TRUE(MakeFolders(root / "a/b/c")); // already there

    // A moved data folder left behind as a link, as users do with ~/.local/share.
    ASSERT_EQ(symlink((root / "a").c_str(), (root / "moved").c_str()), 0);
    EXPECT_TRUE(FolderExists(root / "moved"));
    EXPECT_TRUE(MakeFolders(root / "moved/x/y"));
    EXPECT_TRUE(FolderExists(root / "a/x/y"));

    // A file, or a link to one or to nothing, is in the way and stays as it is.
    CTestFolder::WriteFile(root / "file", "data");
    ASSERT_EQ(symlink((root / "file").c_str(), (root / "to-file").c_str()), 0);
    ASSERT_EQ(symlink((root / "missing").c_str(), (root / "dangling").c_str()), 0);
    for (const char* blocked : {"file", "file/sub", "to-file", "dangling", "dangling/sub"})
        EXPECT_FALSE(MakeFolders(root / blocked)) << blocked;
    EXPECT_EQ(CTestFolder::ReadFile(root / "file"), "data");
    EXPECT_FALSE(CTestFolder::Exists(root / "missing"));
}

TEST(OsFolders, APrefixAndAHiveBehindLinksWork)
{
    CTestFolder root;
    ASSERT_TRUE(MakeFolders(root / "real/hive"));
    ASSERT_EQ(symlink((root / "real").c_str(), (root / "share").c_str()), 0);

    // Both callers of MakeFolders: the prefix set-up and the registry store.
    EXPECT_TRUE(CPrefix::Initialise(root / "share/zelqa", "alice"));
    EXPECT_TRUE(FolderExists(root / "real/zelqa/drive_c/users/alice/Desktop"));
    const CRegistryStore store(CPrefix::RegistryRoot(root / "share/zelqa"));
    ASSERT_TRUE(store.EnsureKey(L"Software\\brovix"));
    EXPECT_TRUE(store.KeyExists(L"SOFTWARE\\Brovix"));

    // The hive root itself a link: still usable.
    ASSERT_EQ(symlink((root / "real/hive").c_str(), (root / "linked-hive").c_str()), 0);
    const CRegistryStore linked(root / "linked-hive");
    ASSERT_TRUE(linked.EnsureKey(L"Software"));
    ASSERT_TRUE(linked.WriteValue(L"Software", L"v", 1, {1, 2}));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_TRUE(linked.ReadValue(L"software", L"V", type, data));
    EXPECT_EQ(data, (std::vector<uint8_t>{1, 2}));
}

TEST(OsFolders, LinksInsideTheHiveAreNotKeys)
{
    CTestFolder root;
    ASSERT_TRUE(MakeFolders(root / "hive"));
    ASSERT_TRUE(MakeFolders(root / "outside/Secret"));
    ASSERT_EQ(symlink((root / "outside").c_str(), (root / "hive/Planted").c_str()), 0);
    const CRegistryStore store(root / "hive");
    EXPECT_FALSE(store.KeyExists(L"Planted"));
    EXPECT_FALSE(store.RemoveKey(L"Planted\\Secret"));
    EXPECT_TRUE(FolderExists(root / "outside/Secret"));
}

TEST(OsFileDescriptor, ClosesWhenItGoesAndOnlyOnce)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        CFileDescriptor readEnd(fds[0]);
        CFileDescriptor writeEnd(fds[1]);
        EXPECT_EQ(readEnd.Get(), fds[0]);
        EXPECT_TRUE(writeEnd.Close());
        EXPECT_EQ(writeEnd.Get(), -1);
        EXPECT_FALSE(IsOpen(fds[1]));
        EXPECT_TRUE(writeEnd.Close()); // nothing left to close
        EXPECT_TRUE(IsOpen(fds[0]));

        // The number may be reused at once; the wrapper must not close the newcomer.
        const int reused = open("/dev/null", O_RDONLY | O_CLOEXEC);
        ASSERT_GE(reused, 0);
        CFileDescriptor keeper(reused);
        writeEnd.Close();
        EXPECT_TRUE(IsOpen(reused));
    }
    EXPECT_FALSE(IsOpen(fds[0]));
    EXPECT_TRUE(CFileDescriptor().Close());
}

TEST(OsFindEntryNoCase, FindsOtherLetterCasesAndAlwaysPicksTheSameOne)
{
    CTestFolder root;
    CTestFolder::WriteFile(root / "readme.TXT", "");
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"README.txt"), "readme.TXT");
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"readme.txt "), "");
    EXPECT_EQ(FindEntryNoCase(root / "absent", L"readme.txt"), "");
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"."), "");

    // Several matches: the first in byte order, whatever order the folder lists them in.
    CTestFolder::WriteFile(root / "ReadMe.txt", "");
    CTestFolder::WriteFile(root / "README.txt", "");
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"readme.txt"), "README.txt");

    // Letters beyond ASCII fold too.
    CTestFolder::WriteFile(root / "\xC3\xA9t\xC3\xA9", ""); // "été"
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"\u00C9T\u00C9"), "\xC3\xA9t\xC3\xA9");
}

TEST(OsFindEntryNoCase, TheCallerReadsNamesAndVetsMatches)
{
    CTestFolder root;
    CTestFolder::WriteFile(root / "@Value", "");
    CTestFolder::WriteFile(root / "@VALUE", "");
    CTestFolder::WriteFile(root / "value", "");
    const EntryNameReader valuesOnly = [](const std::string& fileName, std::wstring& name) {
        if (fileName.empty() || fileName[0] != '@')
            return false;
        name.assign(fileName.begin() + 1, fileName.end());
        return true;
    };
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"value", valuesOnly), "@VALUE");
    // A refused match gives way to the next one in order, not to none.
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"value", valuesOnly,
                              [](const std::string& fileName) { return fileName != "@VALUE"; }),
              "@Value");
    EXPECT_EQ(FindEntryNoCase(root.Path(), L"value", valuesOnly, [](const std::string&) { return false; }), "");
}

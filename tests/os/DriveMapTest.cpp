#include "os/posix/DriveMap.h"
#include "os/posix/Prefix.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace
{

std::string Host(const CDriveMap& map, const std::wstring& path)
{
    std::string host;
    return map.ToHost(path, host) ? host : std::string("<none>");
}

std::wstring Drive(const CDriveMap& map, const std::string& host)
{
    std::wstring path;
    return map.FromHost(host, path) ? path : std::wstring(L"<none>");
}

} // namespace

TEST(OsDriveMap, DrivePathsTranslateToTheMappedFolder)
{
    CDriveMap map;
    map.SetDrive(L'd', "/srv/data/");
    EXPECT_EQ(Host(map, L"D:\\Apps\\Zelqa"), "/srv/data/Apps/Zelqa");
    EXPECT_EQ(Host(map, L"d:\\Apps\\Zelqa"), "/srv/data/Apps/Zelqa");
    EXPECT_EQ(Host(map, L"D:/Apps//Zelqa\\"), "/srv/data/Apps/Zelqa");
    EXPECT_EQ(Host(map, L"\\\\?\\D:\\Apps"), "/srv/data/Apps");
    // Roots with and without the separator.
    EXPECT_EQ(Host(map, L"D:"), "/srv/data");
    EXPECT_EQ(Host(map, L"D:\\"), "/srv/data");
    // ".." never leaves the drive; trailing dots and blanks vanish as on the platform.
    EXPECT_EQ(Host(map, L"D:\\Apps\\..\\..\\..\\etc\\.\\passwd"), "/srv/data/etc/passwd");
    EXPECT_EQ(Host(map, L"D:\\Zelqa. \\x"), "/srv/data/Zelqa/x");
    EXPECT_EQ(Host(map, L"D:\\应用\\Zelqa"), "/srv/data/\xE5\xBA\x94\xE7\x94\xA8/Zelqa");
}

TEST(OsDriveMap, PathsWithoutAMappedDriveDoNotTranslate)
{
    CDriveMap map;
    map.SetDrive(L'C', "/p/drive_c");
    EXPECT_EQ(Host(map, L"E:\\Apps"), "<none>");
    EXPECT_EQ(Host(map, L"\\\\server\\share\\x"), "<none>");
    EXPECT_EQ(Host(map, L"Apps\\Zelqa"), "<none>");
    EXPECT_EQ(Host(map, L"1:\\x"), "<none>");
    EXPECT_EQ(Host(map, L""), "<none>");
    EXPECT_EQ(Host(map, L"C"), "<none>");
}

TEST(OsDriveMap, HostPathsTranslateBackThroughTheClosestDrive)
{
    CDriveMap map;
    map.SetDrive(L'C', "/p/drive_c");
    map.SetDrive(L'D', "/srv/data");
    map.SetDrive(L'Z', "/");
    map.SetDrive(L'E', "/srv/data"); // a second letter for the same folder
    EXPECT_EQ(Drive(map, "/srv/data/Apps/Zelqa"), L"D:\\Apps\\Zelqa");
    EXPECT_EQ(Drive(map, "/srv/data"), L"D:\\");
    EXPECT_EQ(Drive(map, "/srv/data/"), L"D:\\");
    EXPECT_EQ(Drive(map, "/p/drive_c/users/a/../b"), L"C:\\users\\b");
    // A longer name that merely starts like a root is not inside it.
    EXPECT_EQ(Drive(map, "/srv/database"), L"Z:\\srv\\database");
    EXPECT_EQ(Drive(map, "/etc"), L"Z:\\etc");
    EXPECT_EQ(Drive(map, "relative/path"), L"<none>");

    map.SetDrive(L'Z', "");
    EXPECT_EQ(Drive(map, "/etc"), L"<none>");
    EXPECT_EQ(Drive(map, "/srv/data/\xE5\xBA\x94\xE7\x94\xA8"), L"D:\\应用");
}

TEST(OsDriveMap, LoadReadsTheLinksOfThePrefix)
{
    CTestFolder prefix;
    CTestFolder elsewhere;
    ASSERT_TRUE(CPrefix::Initialise(prefix.Path(), "tester"));
    ASSERT_EQ(symlink(elsewhere.Path().c_str(), (prefix / "dosdevices/d:").c_str()), 0);
    ASSERT_EQ(symlink("../drive_c/users", (prefix / "dosdevices/E:").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/zelqa", (prefix / "dosdevices/f:").c_str()), 0);
    ASSERT_EQ(symlink(elsewhere.Path().c_str(), (prefix / "dosdevices/dd:").c_str()), 0);

    char real[4096];
    ASSERT_NE(realpath(prefix.Path().c_str(), real), nullptr);
    const std::string prefixReal = real;
    ASSERT_NE(realpath(elsewhere.Path().c_str(), real), nullptr);
    const std::string elsewhereReal = real;

    const CDriveMap map = CDriveMap::Load(prefix.Path());
    EXPECT_EQ(map.RootOf(L'C'), prefixReal + "/drive_c");
    EXPECT_EQ(map.RootOf(L'D'), elsewhereReal);
    EXPECT_EQ(map.RootOf(L'e'), prefixReal + "/drive_c/users");
    EXPECT_TRUE(map.HasDrive(L'F')); // mapped, though its folder is missing
    EXPECT_FALSE(map.HasDrive(L'G'));
    EXPECT_EQ(Drive(map, elsewhereReal + "/x"), L"D:\\x");

    const CDriveMap one = CDriveMap::LoadDrive(prefix.Path(), L'e');
    EXPECT_EQ(one.RootOf(L'E'), map.RootOf(L'E'));
    EXPECT_FALSE(one.HasDrive(L'D'));

    // Initialising again keeps a c: link the user has pointed elsewhere.
    ASSERT_EQ(unlink((prefix / "dosdevices/c:").c_str()), 0);
    ASSERT_EQ(symlink(elsewhere.Path().c_str(), (prefix / "dosdevices/c:").c_str()), 0);
    EXPECT_TRUE(CPrefix::Initialise(prefix.Path(), "tester"));
    EXPECT_EQ(CDriveMap::LoadDrive(prefix.Path(), L'C').RootOf(L'C'), elsewhereReal);
}

TEST(OsPrefix, LocationFollowsTheVariablesInOrder)
{
    EXPECT_EQ(CPrefix::Choose("/opt/pfx/", "/xdg", "/home/u", "/cwd"), "/opt/pfx");
    EXPECT_EQ(CPrefix::Choose("pfx", "/xdg", "/home/u", "/cwd"), "/cwd/pfx");
    EXPECT_EQ(CPrefix::Choose("", "/xdg", "/home/u", "/cwd"), "/xdg/zelqa");
    EXPECT_EQ(CPrefix::Choose(nullptr, "relative", "/home/u", "/cwd"), "/home/u/.local/share/zelqa");
    EXPECT_EQ(CPrefix::Choose(nullptr, nullptr, "/home/u/", "/cwd"), "/home/u/.local/share/zelqa");
}

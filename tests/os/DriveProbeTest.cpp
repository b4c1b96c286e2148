#include "os/posix/DriveProbe.h"
#include "os/posix/MountTable.h"
#include "os/posix/PosixOsServices.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{

std::string RealPath(const std::string& path)
{
    char real[4096];
    return realpath(path.c_str(), real) != nullptr ? real : path;
}

// A fake sysfs with a fixed disk sda (partition sda1, 8:1), a removable disk
// sdb (partition sdb1, 8:17) and an optical drive sr0 (11:0).
void MakeFakeSys(const std::string& sys)
{
    CTestFolder::MakeFolders(sys + "/dev/block");
    CTestFolder::MakeFolders(sys + "/class/block");
    const struct
    {
        const char* m_pszDisk;
        const char* m_pszPart;
        const char* m_pszDevice;
        const char* m_pszRemovable;
    } disks[] = {{"sda", "sda1", "8:1", "0\n"}, {"sdb", "sdb1", "8:17", "1\n"}, {"sr0", nullptr, "11:0", "1\n"}};
    for (const auto& disk : disks) {
        const std::string diskDir = sys + "/devices/pci0/block/" + disk.m_pszDisk;
        CTestFolder::MakeFolders(diskDir);
        CTestFolder::WriteFile(diskDir + "/removable", disk.m_pszRemovable);
        std::string node = diskDir;
        if (disk.m_pszPart != nullptr) {
            node = diskDir + "/" + disk.m_pszPart;
            CTestFolder::MakeFolders(node);
            CTestFolder::WriteFile(node + "/partition", "1\n");
            symlink(node.c_str(), (sys + "/class/block/" + disk.m_pszPart).c_str());
        }
        symlink(node.c_str(), (sys + "/dev/block/" + disk.m_pszDevice).c_str());
    }
}

} // namespace

TEST(OsMountTable, ParsesFieldsEscapesAndOptionalTags)
{
    CMountTable table;
    table.Parse("27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                "garbage line\n"
                "40 27 0:50 / /media/My\\040Disk rw master:3 propagate_from:2 - vfat /dev/sdb1 rw\n"
                "41 27 0:51 / /mnt/nfs rw - nfs4 server:/export rw\n");
    ASSERT_EQ(table.Entries().size(), 3u);
    const MountEntry& disk = table.Entries()[1];
    EXPECT_EQ(disk.m_strMountPoint, "/media/My Disk");
    EXPECT_EQ(disk.m_strFsType, "vfat");
    EXPECT_EQ(disk.m_strSource, "/dev/sdb1");
    EXPECT_EQ(table.Entries()[0].m_nMajor, 254u);

    EXPECT_EQ(table.FindFor("/media/My Disk/x")->m_strFsType, "vfat");
    EXPECT_EQ(table.FindFor("/media/My Diskette")->m_strFsType, "ext4");
    EXPECT_EQ(table.FindFor("/mnt/nfs")->m_strFsType, "nfs4");
}

TEST(OsMountTable, TheLastOfStackedMountsCovers)
{
    CMountTable table;
    table.Parse("25 24 0:23 / /dev/shm rw - ext4 /dev/sda1 rw\n"
                "30 25 0:27 / /dev/shm rw - tmpfs tmpfs rw\n");
    EXPECT_EQ(table.FindFor("/dev/shm/x")->m_strFsType, "tmpfs");
    EXPECT_EQ(table.FindFor("/elsewhere"), nullptr);
}

TEST(OsDriveProbe, EachFileSystemKindMapsToItsDriveKind)
{
    CTestFolder root;
    MakeFakeSys(root / "sys");
    const char* kinds[] = {"fixed", "usb", "nfs",   "smb",  "ssh",   "cd",
                           "dvd",   "ram", "ramfs", "proc", "btrfs", "my disk"};
    for (const char* kind : kinds)
        CTestFolder::MakeFolders(root / kind);
    const std::string base = RealPath(root.Path());
    const std::string mountInfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "2 1 8:1 / " +
                                  base +
                                  "/fixed rw - ext4 /dev/sda1 rw\n"
                                  "3 1 8:17 / " +
                                  base +
                                  "/usb rw - vfat /dev/sdb1 rw\n"
                                  "4 1 0:40 / " +
                                  base +
                                  "/nfs rw - nfs4 srv:/x rw\n"
                                  "5 1 0:41 / " +
                                  base +
                                  "/smb rw - cifs //srv/x rw\n"
                                  "6 1 0:42 / " +
                                  base +
                                  "/ssh rw - fuse.sshfs u@h:/ rw\n"
                                  "7 1 11:0 / " +
                                  base +
                                  "/cd ro - iso9660 /dev/sr0 ro\n"
                                  "8 1 11:0 / " +
                                  base +
                                  "/dvd ro - udf /dev/sr0 ro\n"
                                  "9 1 0:43 / " +
                                  base +
                                  "/ram rw - tmpfs tmpfs rw\n"
                                  "10 1 0:44 / " +
                                  base +
                                  "/ramfs rw - ramfs ramfs rw\n"
                                  "11 1 0:45 / " +
                                  base +
                                  "/proc rw - proc proc rw\n"
                                  "12 1 0:46 / " +
                                  base +
                                  "/btrfs rw - btrfs /dev/sdb1 rw\n"
                                  "13 1 8:1 / " +
                                  base + "/my\\040disk rw - xfs /dev/sda1 rw\n";
    CTestFolder::WriteFile(root / "mountinfo", mountInfo);

    const CDriveProbe probe(root / "mountinfo", root / "sys");
    EXPECT_EQ(probe.KindOfFolder(root / "fixed"), DriveKind::Fixed);
    EXPECT_EQ(probe.KindOfFolder(root / "usb"), DriveKind::Removable);
    EXPECT_EQ(probe.KindOfFolder(root / "nfs"), DriveKind::Remote);
    EXPECT_EQ(probe.KindOfFolder(root / "smb"), DriveKind::Remote);
    EXPECT_EQ(probe.KindOfFolder(root / "ssh"), DriveKind::Remote);
    EXPECT_EQ(probe.KindOfFolder(root / "cd"), DriveKind::CdRom);
    EXPECT_EQ(probe.KindOfFolder(root / "dvd"), DriveKind::CdRom);
    EXPECT_EQ(probe.KindOfFolder(root / "ram"), DriveKind::RamDisk);
    EXPECT_EQ(probe.KindOfFolder(root / "ramfs"), DriveKind::RamDisk);
    EXPECT_EQ(probe.KindOfFolder(root / "proc"), DriveKind::Unknown);
    // An anonymous device number: the source names the (removable) disk.
    EXPECT_EQ(probe.KindOfFolder(root / "btrfs"), DriveKind::Removable);
    EXPECT_EQ(probe.KindOfFolder(root / "my disk"), DriveKind::Fixed);
    // A folder below a mount point belongs to that mount.
    CTestFolder::MakeFolders(root / "usb/sub");
    EXPECT_EQ(probe.KindOfFolder(root / "usb/sub"), DriveKind::Removable);
    EXPECT_EQ(probe.KindOfFolder(root / "missing"), DriveKind::NoRootDir);
    CTestFolder::WriteFile(root / "file", "x");
    EXPECT_EQ(probe.KindOfFolder(root / "file"), DriveKind::NoRootDir);
}

TEST(OsDriveProbe, DrivesOfThePrefixGetTheirKindFromTheMountTable)
{
    CTestFolder prefix;
    CTestFolder root;
    MakeFakeSys(root / "sys");
    CTestFolder::MakeFolders(root / "stick");
    CTestFolder::WriteFile(root / "mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 / " +
                                                   RealPath(root / "stick") + " rw - vfat /dev/sdb1 rw\n");
    CPosixOsServices::Options options;
    options.m_strPrefix = prefix.Path();
    options.m_strMountInfo = root / "mountinfo";
    options.m_strSysRoot = root / "sys";
    CPosixOsServices services(options);
    ASSERT_EQ(symlink((root / "stick").c_str(), (prefix / "dosdevices/e:").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/zelqa", (prefix / "dosdevices/f:").c_str()), 0);

    EXPECT_EQ(services.GetDriveKind(L"C:"), DriveKind::Fixed);
    EXPECT_EQ(services.GetDriveKind(L"e:\\"), DriveKind::Removable);
    // Only the first two characters count.
    EXPECT_EQ(services.GetDriveKind(L"E:\\Apps\\Zelqa"), DriveKind::Removable);
    EXPECT_EQ(services.GetDriveKind(L"F:"), DriveKind::NoRootDir);
    EXPECT_EQ(services.GetDriveKind(L"G:"), DriveKind::NoRootDir);
    EXPECT_EQ(services.GetDriveKind(L"E"), DriveKind::NoRootDir);
    EXPECT_EQ(services.GetDriveKind(L"\\\\"), DriveKind::NoRootDir);
    EXPECT_EQ(services.GetDriveKind(L""), DriveKind::NoRootDir);
}

TEST(OsDriveProbe, AFolderOnTmpfsIsARamDiskOnTheRealSystem)
{
    if (!CTestFolder::Exists("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm here";
    CTestFolder prefix;
    CTestFolder shm("/dev/shm");
    CPosixOsServices::Options options;
    options.m_strPrefix = prefix.Path();
    CPosixOsServices services(options);
    ASSERT_EQ(symlink(shm.Path().c_str(), (prefix / "dosdevices/r:").c_str()), 0);

    EXPECT_EQ(services.GetDriveKind(L"R:"), DriveKind::RamDisk);
    EXPECT_EQ(services.GetDriveKind(L"Q:"), DriveKind::NoRootDir);
}

TEST(OsDriveProbe, FreeSpaceIsWhatTheCallerMayUse)
{
    CTestFolder prefix;
    CPosixOsServices::Options options;
    options.m_strPrefix = prefix.Path();
    CPosixOsServices services(options);

    uint64_t bytes = 0;
    ASSERT_TRUE(services.GetFreeBytesForCaller(L"C:", bytes));
    struct statvfs vfs
    {
    };
    ASSERT_EQ(statvfs(prefix.Path().c_str(), &vfs), 0);
    const uint64_t total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    const uint64_t expected = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    EXPECT_GT(bytes, 0u);
    EXPECT_LE(bytes, total);
    // Others write meanwhile; a wide margin still tells available from free or total.
    EXPECT_NEAR(static_cast<double>(bytes), static_cast<double>(expected), 64.0 * 1024 * 1024);

    EXPECT_FALSE(services.GetFreeBytesForCaller(L"Q:", bytes));
    EXPECT_FALSE(services.GetFreeBytesForCaller(L"", bytes));
}

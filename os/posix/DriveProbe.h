#pragma once

#include "os/OsServices.h"
#include "os/posix/MountTable.h"

#include <cstdint>
#include <string>

// Tells the drive kind and free space of a host folder from the file system
// that holds it: the mount table names the file system type, and for a block
// device sysfs tells whether its disk is removable.
class CDriveProbe
{
public:
    // Files to read; tests pass a sample mount table and a fake sysfs tree.
    explicit CDriveProbe(std::string mountInfoFile = "/proc/self/mountinfo", std::string sysRoot = "/sys");

    // Kind of a mount. `removable` is the disk's removable flag: 1, 0, or -1
    // when there is no block device to ask.
    static DriveKind Classify(const MountEntry& mount, int removable);

    // The removable flag of the disk behind a block device (a partition
    // answers for its disk): 1, 0, or -1 when sysfs does not know the device.
    int IsRemovable(uint32_t major, uint32_t minor, const std::string& source) const;

    // Kind of the drive whose root is `hostDir`: NoRootDir when it is no
    // folder, Unknown when no mount holds it.
    DriveKind KindOfFolder(const std::string& hostDir) const;

    // Bytes the calling user may still write on the file system of `hostDir`.
    static bool FreeBytesForCaller(const std::string& hostDir, uint64_t& bytes);

private:
    std::string m_strMountInfoFile;
    std::string m_strSysRoot;
};

#include "os/posix/DriveProbe.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <utility>

namespace
{

const std::set<std::string> s_setRemote = {
    "nfs",
    "nfs4",
    "cifs",
    "smb3",
    "smbfs",
    "ncpfs",
    "afs",
    "coda",
    "ceph",
    "9p",
    "virtiofs",
    "glusterfs",
    "lustre",
    "davfs",
    "sshfs",
    "fuse.sshfs",
    "fuse.rclone",
    "fuse.s3fs",
    "fuse.glusterfs",
    "fuse.ceph-fuse",
    "fuse.gvfsd-fuse",
    "fuse.curlftpfs",
    "fuse.smbnetfs",
    "fuse.gcsfuse",
    "fuse.davfs2",
};

const std::set<std::string> s_setOptical = {"iso9660", "udf"};

const std::set<std::string> s_setRam = {"tmpfs", "ramfs", "devtmpfs"};

// Kernel views, not storage: a drive mapped onto one has no sensible kind.
const std::set<std::string> s_setPseudo = {
    "proc",        "sysfs",    "devpts", "cgroup", "cgroup2",    "securityfs", "debugfs",
    "tracefs",     "configfs", "pstore", "bpf",    "mqueue",     "hugetlbfs",  "fusectl",
    "binfmt_misc", "efivarfs", "autofs", "nsfs",   "rpc_pipefs", "selinuxfs",
};

bool ReadFlag(const std::string& file, int& value)
{
    std::ifstream in(file);
    int flag = 0;
    if (!(in >> flag))
        return false;
    value = flag != 0 ? 1 : 0;
    return true;
}

bool IsFile(const std::string& path)
{
    struct stat st = {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

CDriveProbe::CDriveProbe(std::string mountInfoFile, std::string sysRoot)
    : m_strMountInfoFile(std::move(mountInfoFile)), m_strSysRoot(std::move(sysRoot))
{
}

DriveKind CDriveProbe::Classify(const MountEntry& mount, int removable)
{
    const std::string& type = mount.m_strFsType;
    if (s_setRemote.count(type) != 0)
        return DriveKind::Remote;
    if (s_setOptical.count(type) != 0)
        return DriveKind::CdRom;
    if (s_setRam.count(type) != 0)
        return DriveKind::RamDisk;
    if (s_setPseudo.count(type) != 0)
        return DriveKind::Unknown;
    return removable == 1 ? DriveKind::Removable : DriveKind::Fixed;
}

int CDriveProbe::IsRemovable(uint32_t major, uint32_t minor, const std::string& source) const
{
    std::string device;
    if (major != 0)
        device = m_strSysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    else if (source.compare(0, 5, "/dev/") == 0)
        // File systems such as btrfs report an anonymous device number; the source names the real one.
        device = m_strSysRoot + "/class/block/" + source.substr(source.find_last_of('/') + 1);
    else
        return -1;

    char resolved[PATH_MAX];
    if (realpath(device.c_str(), resolved) == nullptr)
        return -1;
    std::string disk = resolved;
    // A partition's folder sits inside its disk's folder, which carries the flag.
    if (IsFile(disk + "/partition"))
        disk = disk.substr(0, disk.find_last_of('/'));
    int flag = 0;
    return ReadFlag(disk + "/removable", flag) ? flag : -1;
}

DriveKind CDriveProbe::KindOfFolder(const std::string& hostDir) const
{
    char resolved[PATH_MAX];
    struct stat st = {};
    if (hostDir.empty() || realpath(hostDir.c_str(), resolved) == nullptr || stat(resolved, &st) != 0 ||
        !S_ISDIR(st.st_mode))
        return DriveKind::NoRootDir;

    std::ifstream in(m_strMountInfoFile);
    if (!in)
        return DriveKind::Unknown;
    std::stringstream text;
    text << in.rdbuf();
    CMountTable table;
    table.Parse(text.str());
    const MountEntry* mount = table.FindFor(resolved);
    if (mount == nullptr)
        return DriveKind::Unknown;
    return Classify(*mount, IsRemovable(mount->m_nMajor, mount->m_nMinor, mount->m_strSource));
}

bool CDriveProbe::FreeBytesForCaller(const std::string& hostDir, uint64_t& bytes)
{
    struct statvfs vfs = {};
    if (hostDir.empty() || statvfs(hostDir.c_str(), &vfs) != 0)
        return false;
    const uint64_t unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    const uint64_t blocks = vfs.f_bavail;
    if (unit != 0 && blocks > std::numeric_limits<uint64_t>::max() / unit)
        bytes = std::numeric_limits<uint64_t>::max();
    else
        bytes = blocks * unit;
    return true;
}

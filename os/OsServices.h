#pragma once

#include <cstdint>
#include <functional>
#include <string>

// What the installer needs from the operating system, in Windows terms: drive
// paths such as L"D:\\Apps\\Zelqa", drive kinds, the install record under
// HKEY_LOCAL_MACHINE, and so on. Each target provides one implementation;
// tests replace it with fakes.

// Drive kinds, numbered as the Windows drive-type query numbers them.
enum class DriveKind : uint32_t
{
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

class IOsServices
{
public:
    virtual ~IOsServices() = default;

    // The current user's desktop folder as a drive path; false when it can't be had.
    virtual bool GetDesktopFolder(std::wstring& path) = 0;

    // Kind of the drive whose root is given (L"D:\\").
    virtual DriveKind GetDriveKind(const std::wstring& root) = 0;

    // Bytes free for the calling user on the drive of `root`; false when the query fails.
    virtual bool GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes) = 0;
};

// The process-wide services of the target the program was built for.
IOsServices& OsServices();

// Replaces the process-wide services (tests); pass nullptr to restore the real ones.
void SetOsServicesForTesting(IOsServices* services);

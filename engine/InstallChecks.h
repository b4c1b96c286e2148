#pragma once

#include <cstdint>
#include <string>

#include "os/OsServices.h"

// The location checks made when Install is pressed.

// The drive root of a location: its first two characters, as they stand.
std::wstring DriveRootOf(const std::wstring& location);

// The drive the download folder goes on, as L"D:": the desktop's, where the
// desktop is on a local drive letter ("\\?\" prefix or not); otherwise (a
// desktop on a network share, a mapped network drive, or none) the system
// drive.
std::wstring DownloadDriveFor(IOsServices& os, const std::wstring& desktop);

// The drive kind of the location's root.
DriveKind GetInstallDriveType(IOsServices& os, const std::wstring& location);

// True when the caller may use more than 50 whole MiB on the location's drive,
// or when that can't be determined.
bool HasEnoughDiskSpace(IOsServices& os, const std::wstring& location);

// The longest location the install record can hold, in UTF-16 units.
constexpr size_t MAX_LOCATION_CHARS = 259;

// Length of a text in UTF-16 units, as the install record stores it.
size_t Utf16Length(const std::wstring& text);

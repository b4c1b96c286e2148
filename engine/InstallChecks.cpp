#include "engine/InstallChecks.h"

#include <vector>

std::wstring DriveRootOf(const std::wstring& location)
{
    return location.substr(0, 2);
}

DriveKind GetInstallDriveType(IOsServices& os, const std::wstring& location)
{
    return os.GetDriveKind(DriveRootOf(location));
}

size_t Utf16Length(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    AppendUtf16Le(text, bytes);
    return bytes.size() / 2;
}

bool HasEnoughDiskSpace(IOsServices& os, const std::wstring& location)
{
    uint64_t bytes = 0;
    if (!os.GetFreeBytesForCaller(DriveRootOf(location), bytes))
        return true;
    return (bytes >> 20) > 50;
}

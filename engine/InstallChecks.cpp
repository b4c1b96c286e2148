#include "engine/InstallChecks.h"

#include <cwctype>
#include <vector>

std::wstring DriveRootOf(const std::wstring& location)
{
    return location.substr(0, 2);
}

std::wstring DownloadDriveFor(IOsServices& os, const std::wstring& desktop)
{
    std::wstring path = desktop;
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        path.erase(0, 4);
    if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) {
        const std::wstring drive = {static_cast<wchar_t>(std::towupper(path[0])), L':'};
        const DriveKind kind = os.GetDriveKind(drive + L"\\");
        if (kind == DriveKind::Fixed || kind == DriveKind::Removable || kind == DriveKind::RamDisk)
            return drive;
    }
    std::wstring system;
    if (os.GetSystemDrive(system) && system.size() == 2 && system[1] == L':')
        return system;
    return L"C:";
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

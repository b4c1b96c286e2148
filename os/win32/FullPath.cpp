#include "os/win32/FullPath.h"

#include <windows.h>

bool FullPathOf(const std::wstring& path, std::wstring& full)
{
    const DWORD nNeeded = path.empty() ? 0 : GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (nNeeded == 0)
        return false;
    full.assign(nNeeded, L'\0');
    const DWORD nLength = GetFullPathNameW(path.c_str(), nNeeded, full.data(), nullptr);
    if (nLength == 0 || nLength >= nNeeded)
        return false;
    full.resize(nLength);
    return true;
}

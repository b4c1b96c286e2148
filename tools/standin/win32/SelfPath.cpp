#include "tools/standin/SelfPath.h"

#include <string>

#include <windows.h>

std::filesystem::path CSelfPath::StartedAs(const char*)
{
    // argv[0] is in the ANSI code page and may lack the folder; the module name is neither.
    std::wstring strBuffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD nLength = GetModuleFileNameW(nullptr, strBuffer.data(), static_cast<DWORD>(strBuffer.size()));
        if (nLength == 0)
            return std::filesystem::path();
        if (nLength < strBuffer.size()) {
            strBuffer.resize(nLength);
            return std::filesystem::path(strBuffer);
        }
        strBuffer.resize(strBuffer.size() * 2);
    }
}

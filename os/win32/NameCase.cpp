#include "os/NameCase.h"

#include <windows.h>

wchar_t FoldCase(wchar_t ch)
{
    wchar_t szUpper[2] = {ch, L'\0'};
    if (ch == L'\0' || CharUpperBuffW(szUpper, 1) != 1)
        return ch;
    return szUpper[0];
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    // The file system's own rule for names, which the private-profile calls share.
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

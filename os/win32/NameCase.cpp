#include "os/NameCase.h"

#include <windows.h>

wchar_t FoldCase(wchar_t ch)
{
    // The invariant upper case the file system's name comparison uses.
    wchar_t upper = ch;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &ch, 1, &upper, 1, nullptr, nullptr, 0) != 1)
        return ch;
    return upper;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    // The file system's own rule for names, which the private-profile calls share.
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

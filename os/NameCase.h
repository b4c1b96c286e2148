#pragma once

#include <string>

// The letter-case rule shared by drive paths, INI names and registry names;
// each target defines it.

// The upper-case form used to compare names case-insensitively, as the
// platform compares registry, INI and file names.
wchar_t FoldCase(wchar_t ch);

bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

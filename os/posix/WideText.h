#pragma once

#include <string>

// Text conversions between the wide strings of the interface and the UTF-8
// names of the host, and the letter-case rule shared by drive paths, INI names
// and registry names.

// UTF-8 to wide; a byte that starts no valid sequence becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& text);

// Wide to UTF-8; code points outside Unicode become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// The upper-case form used to compare names case-insensitively, as the
// platform compares registry, INI and file names.
wchar_t FoldCase(wchar_t ch);

bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

#pragma once

#include <string>

// Conversions between the program's wide strings and UTF-8, for the places
// where text leaves the program (file names, drawing libraries, the terminal).
// Invalid input becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

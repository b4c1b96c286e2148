#pragma once

#include <string>

// Address of a page or file on the vendor's web host, fixed when the program
// is built: L"https://host[:port]" followed by `path` (which starts with '/').
std::wstring VendorUrl(const wchar_t* path);

// The name the vendor's code-signing certificate is issued to, fixed when the
// program is built: what it starts after downloading must be signed under it.
std::wstring VendorPublisher();

#pragma once

#include <string>

// The absolute form of `path` as the platform makes it (GetFullPathNameW:
// relative parts, "." and ".." resolved, nothing looked up on disk); false
// when it can't be made.
bool FullPathOf(const std::wstring& path, std::wstring& full);

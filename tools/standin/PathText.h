#pragma once

#include <filesystem>
#include <string>

#include "os/OsServices.h"

// Native paths as UTF-8 (what the OS services take on every target) and back.
// On POSIX the bytes pass through unchanged; on Windows UTF-16 is converted.
inline std::string PathToUtf8(const std::filesystem::path& path)
{
    const std::u8string strText = path.u8string();
    return std::string(strText.begin(), strText.end());
}

inline std::filesystem::path PathFromUtf8(const std::string& strText)
{
    return std::filesystem::path(std::u8string(strText.begin(), strText.end()));
}

// A path as the OS services' native path type takes it (UTF-16 on Windows,
// UTF-8 bytes on POSIX), and back.
inline NativePath PathToNative(const std::filesystem::path& path)
{
#if defined(_WIN32)
    return path.wstring();
#else
    return PathToUtf8(path);
#endif
}

inline std::filesystem::path PathFromNative(const NativePath& native)
{
#if defined(_WIN32)
    return std::filesystem::path(native);
#else
    return PathFromUtf8(native);
#endif
}

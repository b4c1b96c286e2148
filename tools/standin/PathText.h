#pragma once

#include <filesystem>
#include <string>

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

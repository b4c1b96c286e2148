#pragma once

#include <filesystem>
#include <string>

// The full installer's progress file (INI: section Percent, key Percent). The
// online installer reads it at any moment, so each write replaces the whole
// file in one step: a reader sees the previous content or the new, never a
// half-written or missing file.
class CProgressFile
{
public:
    explicit CProgressFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return m_path; }

    // "[Percent]\r\nPercent=N\r\n"
    bool WritePercent(int nPercent);

    // Any bytes at all, for the scenarios that write nonsense.
    bool WriteContent(const std::string& strContent);

    static std::string PercentContent(int nPercent);

private:
    std::filesystem::path m_path;
};

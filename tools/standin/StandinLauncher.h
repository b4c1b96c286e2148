#pragma once

#include <filesystem>
#include <string>

// The product's launcher: proves it was started by appending one line, the
// time and its own path, to a marker file.
class CStandinLauncher
{
public:
    // `markerFile` empty: launched.txt in the launcher's own folder.
    CStandinLauncher(std::filesystem::path selfPath, std::string markerFile);

    // The exit status: 0 once the line is written.
    int Run();

    // True for the launcher's file name, in any letter case as Windows matches it.
    static bool IsLauncherName(const std::filesystem::path& path);

    static constexpr const char* kFileName = "brovixStart.exe";

private:
    std::filesystem::path m_selfPath;
    std::filesystem::path m_markerPath;
};

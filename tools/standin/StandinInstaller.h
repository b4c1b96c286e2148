#pragma once

#include "tools/standin/ProgressFile.h"
#include "tools/standin/StandinSettings.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class IOsServices;

// The product's full installer as the online installer sees it: it writes
// its progress to "<own folder>\Zelqa\Percent.ini" and, in the normal
// scenario, "installs" by copying itself as the launcher into the folder
// named by the install record's Path value.
class CStandinInstaller
{
public:
    CStandinInstaller(IOsServices& os, std::filesystem::path selfPath, const StandinSettings& settings);

    // Plays the scenario; returns the exit status (0 when it played out).
    // Stall57 never returns.
    int Run();

    // The folders from the drive's first level down to `path` itself ("D:\a",
    // "D:\a\b"), and the path in canonical form ("D:\a\b", or "D:" for a
    // drive's root). False when `path` is no absolute drive path or climbs with "..".
    static bool SplitDrivePath(const std::wstring& path, std::vector<std::wstring>& levels, std::wstring& canonical);

    // The nonsense the garbage scenario writes, none of which reads as 100 or more.
    static const std::vector<std::string>& GarbageContents();

private:
    bool OpenProgressFile();
    bool Ramp(int nFrom, int nTo);
    bool Install(const std::wstring& strInstallDir);
    bool WriteGarbage();
    void SleepUntilShare(double dShare) const;

    IOsServices& m_os;
    std::filesystem::path m_selfPath;
    StandinSettings m_settings;
    std::unique_ptr<CProgressFile> m_pProgress;
    std::chrono::steady_clock::time_point m_start;
};

#include "tools/standin/StandinLauncher.h"

#include "tools/standin/ParentProcess.h"
#include "tools/standin/PathText.h"
#include "tools/standin/StandinLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace
{

// UTC, e.g. 2024-05-01T12:34:56.789Z.
std::string Timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t nSeconds = std::chrono::system_clock::to_time_t(now);
    const auto nMillis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char szTime[32] = "";
    // gmtime's shared buffer is fine: this program runs one thread.
    if (const std::tm* pTime = std::gmtime(&nSeconds))
        std::strftime(szTime, sizeof(szTime), "%Y-%m-%dT%H:%M:%S", pTime);
    char szStamp[48];
    snprintf(szStamp, sizeof(szStamp), "%s.%03dZ", szTime, static_cast<int>(nMillis));
    return szStamp;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

CStandinLauncher::CStandinLauncher(std::filesystem::path selfPath, std::string markerFile)
    : m_selfPath(std::move(selfPath)),
      m_markerPath(markerFile.empty() ? m_selfPath.parent_path() / "launched.txt" : std::filesystem::path(markerFile))
{
}

bool CStandinLauncher::IsLauncherName(const std::filesystem::path& path)
{
    const std::string strName = PathToUtf8(path.filename());
    const std::string strWanted = kFileName;
    if (strName.size() != strWanted.size())
        return false;
    for (size_t i = 0; i < strName.size(); ++i) {
        if (AsciiLower(strName[i]) != AsciiLower(strWanted[i]))
            return false;
    }
    return true;
}

int CStandinLauncher::Run()
{
    const std::string strLine = Timestamp() + " " + PathToUtf8(m_selfPath) + "\n";
    // Who started it, before the marker line that tests wait for: the
    // installer itself, or the desktop it handed the start to.
    std::ofstream(m_markerPath.parent_path() / "launched-by.txt", std::ios::binary | std::ios::trunc)
        << CParentProcess::Name() << "\n";
    std::ofstream out(m_markerPath, std::ios::binary | std::ios::app);
    // One write, so lines of launchers started together stay whole.
    out.write(strLine.data(), static_cast<std::streamsize>(strLine.size()));
    out.close();
    if (!out) {
        StandinLog("launcher: cannot append to %s", PathToUtf8(m_markerPath).c_str());
        return 1;
    }
    StandinLog("launcher: started as %s; marker in %s", PathToUtf8(m_selfPath).c_str(),
               PathToUtf8(m_markerPath).c_str());
    return 0;
}

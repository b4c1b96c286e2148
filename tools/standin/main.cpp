// zelqa-standin: plays the product's full installer and its launcher for tests
// and demos. Started as brovixStart.exe (or with --launcher) it is the
// launcher; under any other name (normally ZELQACONVERT.exe) the full installer.

#include "os/OsServices.h"
#include "tools/standin/SelfPath.h"
#include "tools/standin/StandinInstaller.h"
#include "tools/standin/StandinLauncher.h"
#include "tools/standin/StandinLog.h"
#include "tools/standin/StandinSettings.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Started by the installer our standard error is /dev/null; a log file keeps what happened.
    const char* pszLog = std::getenv("ZELQA_STANDIN_LOG");
    if (pszLog != nullptr && pszLog[0] != '\0') {
        if (FILE* pProbe = std::fopen(pszLog, "a")) {
            std::fclose(pProbe);
            std::freopen(pszLog, "a", stderr);
        }
    }

    StandinSettings settings;
    std::string strError;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!StandinSettings::Parse(
            args, [](const char* pszName) { return std::getenv(pszName); }, settings, strError)) {
        StandinLog("%s", strError.c_str());
        fputs(StandinSettings::Usage(), stderr);
        return 2;
    }
    if (settings.m_bHelp) {
        fputs(StandinSettings::Usage(), stdout);
        return 0;
    }

    const std::filesystem::path selfPath = CSelfPath::StartedAs(argc > 0 ? argv[0] : nullptr);
    if (selfPath.empty()) {
        StandinLog("cannot tell where this program lives");
        return 1;
    }

    // A bare name found through PATH resolves to the link's target, so the
    // name as typed decides too.
    const bool bLauncherName = CStandinLauncher::IsLauncherName(selfPath) ||
                               (argc > 0 && CStandinLauncher::IsLauncherName(std::filesystem::path(argv[0])));
    if (settings.m_bLauncher || bLauncherName)
        return CStandinLauncher(selfPath, settings.m_strMarkerFile).Run();
    return CStandinInstaller(OsServices(), selfPath, settings).Run();
}

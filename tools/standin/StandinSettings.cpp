#include "tools/standin/StandinSettings.h"

#include <cmath>
#include <cstdlib>

namespace
{

constexpr double kMaxSeconds = 24 * 3600.0;

const struct
{
    const char* pszName;
    StandinScenario eScenario;
} s_scenarios[] = {
    {"normal", StandinScenario::Normal},           {"stall57", StandinScenario::Stall57},
    {"uninstall30", StandinScenario::Uninstall30}, {"garbage", StandinScenario::Garbage},
    {"negative", StandinScenario::Negative},       {"huge", StandinScenario::Huge},
};

bool ParseScenario(const std::string& strName, StandinScenario& eScenario)
{
    for (const auto& scenario : s_scenarios) {
        if (strName == scenario.pszName) {
            eScenario = scenario.eScenario;
            return true;
        }
    }
    return false;
}

bool ParseSeconds(const std::string& strText, double& dSeconds)
{
    // The program never sets a locale, so strtod reads "0.5" in the C locale.
    if (strText.empty())
        return false;
    char* pEnd = nullptr;
    const double dValue = strtod(strText.c_str(), &pEnd);
    if (pEnd == strText.c_str() || *pEnd != '\0' || !std::isfinite(dValue) || dValue < 0 || dValue > kMaxSeconds)
        return false;
    dSeconds = dValue;
    return true;
}

bool Apply(const std::string& strName, const std::string& strValue, StandinSettings& settings, std::string& strError)
{
    if (strName == "scenario") {
        if (ParseScenario(strValue, settings.m_eScenario))
            return true;
        strError = "unknown scenario \"" + strValue + "\" (normal, stall57, uninstall30, garbage, negative, huge)";
        return false;
    }
    if (strName == "seconds") {
        if (ParseSeconds(strValue, settings.m_dSeconds))
            return true;
        strError = "bad seconds \"" + strValue + "\" (a number from 0 to 86400, e.g. 0.5)";
        return false;
    }
    settings.m_strMarkerFile = strValue;
    return true;
}

} // namespace

bool StandinSettings::Parse(const std::vector<std::string>& args, const std::function<const char*(const char*)>& getEnv,
                            StandinSettings& settings, std::string& strError)
{
    static const struct
    {
        const char* pszVariable;
        const char* pszName;
    } s_variables[] = {
        {"ZELQA_STANDIN_SCENARIO", "scenario"},
        {"ZELQA_STANDIN_SECONDS", "seconds"},
        {"ZELQA_STANDIN_MARKER", "marker"},
    };
    for (const auto& variable : s_variables) {
        const char* pszValue = getEnv ? getEnv(variable.pszVariable) : nullptr;
        if (pszValue == nullptr || pszValue[0] == '\0')
            continue;
        if (!Apply(variable.pszName, pszValue, settings, strError)) {
            strError = std::string(variable.pszVariable) + ": " + strError;
            return false;
        }
    }

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& strOption = args[i];
        if (strOption == "--help" || strOption == "-h") {
            settings.m_bHelp = true;
            continue;
        }
        if (strOption == "--launcher") {
            settings.m_bLauncher = true;
            continue;
        }
        if (strOption != "--scenario" && strOption != "--seconds" && strOption != "--marker") {
            strError = "unknown option " + strOption;
            return false;
        }
        if (i + 1 >= args.size()) {
            strError = strOption + " needs a value";
            return false;
        }
        if (!Apply(strOption.substr(2), args[++i], settings, strError))
            return false;
    }
    return true;
}

const char* StandinSettings::ScenarioName(StandinScenario eScenario)
{
    for (const auto& scenario : s_scenarios) {
        if (scenario.eScenario == eScenario)
            return scenario.pszName;
    }
    return "?";
}

const char* StandinSettings::Usage()
{
    return "usage: zelqa-standin [--scenario normal|stall57|uninstall30|garbage|negative|huge] [--seconds S]\n"
           "       zelqa-standin --launcher [--marker FILE]   (also when started as brovixStart.exe)\n"
           "environment: ZELQA_STANDIN_SCENARIO, ZELQA_STANDIN_SECONDS, ZELQA_STANDIN_MARKER,\n"
           "             ZELQA_STANDIN_LOG (file that receives the log instead of standard error)\n";
}

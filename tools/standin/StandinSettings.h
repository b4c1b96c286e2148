#pragma once

#include <functional>
#include <string>
#include <vector>

// What the stand-in full installer does.
enum class StandinScenario
{
    Normal,      // 0 to 100, installing the launcher just before 100
    Stall57,     // 0 to 57, then sleeps until killed
    Uninstall30, // 0 to 30, then sets the record's Operation to "UnInstall" and exits
    Garbage,     // unreadable progress for a while, then exits without 100
    Negative,    // 0 to 30, then a negative percentage; exits without 100
    Huge,        // 0 to 30, then the largest 32-bit percentage; exits
};

// How one run behaves. The environment sets it (the online installer starts
// the stand-in without arguments); the command line overrides:
//   ZELQA_STANDIN_SCENARIO, --scenario NAME   normal, stall57, uninstall30, garbage, negative, huge
//   ZELQA_STANDIN_SECONDS,  --seconds S       time from 0 to 100 (fractions allowed)
//   ZELQA_STANDIN_MARKER,   --marker FILE     file the launcher appends its line to
//   --launcher                                act as the launcher whatever the name
struct StandinSettings
{
    bool m_bHelp = false;
    bool m_bLauncher = false;
    StandinScenario m_eScenario = StandinScenario::Normal;
    double m_dSeconds = 3.0;
    std::string m_strMarkerFile; // empty: launched.txt beside the program

    // Fills `settings` from `getEnv` and `args` (without the program name);
    // false with a message on an unknown option or a bad value.
    static bool Parse(const std::vector<std::string>& args, const std::function<const char*(const char*)>& getEnv,
                      StandinSettings& settings, std::string& strError);

    static const char* ScenarioName(StandinScenario eScenario);
    static const char* Usage();
};

#pragma once

#include <string>

// The prefix folder that stands for the Windows machine: drive_c/ holds drive
// C:, dosdevices/ holds one "<letter>:" link per drive, registry/ the
// registry-like store. The installer and zelqa-reg find it the same way.
class CPrefix
{
public:
    // $ZELQA_PREFIX, else $XDG_DATA_HOME/zelqa, else ~/.local/share/zelqa.
    static std::string Locate();

    // The rule of Locate over given variable values (null or empty = unset).
    // A relative ZELQA_PREFIX is taken from `cwd`; a relative XDG_DATA_HOME
    // is ignored, as the base-directory rules say.
    static std::string Choose(const char* zelqaPrefix, const char* xdgDataHome, const char* home,
                              const std::string& cwd);

    // Makes what a new prefix needs where it is missing: drive_c/, the
    // dosdevices/c: link to ../drive_c and the user's desktop folder. An
    // existing c: entry is left alone. True when drive C: resolves afterwards.
    static bool Initialise(const std::string& prefix, const std::string& login);

    // The login name of the user the process runs as.
    static std::string LoginName();

    // Folder of the HKEY_LOCAL_MACHINE hive inside a prefix.
    static std::string RegistryRoot(const std::string& prefix);
};

#pragma once

#include <filesystem>

// Where the running program lives, under the name it was started by.
class CSelfPath
{
public:
    // Absolute path of the program, without resolving a link it was started
    // through (its name picks the stand-in's role); empty when unknown.
    static std::filesystem::path StartedAs(const char* pszArgv0);
};

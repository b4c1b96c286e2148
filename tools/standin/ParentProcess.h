#pragma once

#include <string>

// The program that started this one, by file name ("explorer.exe",
// "zelqa-setup"); empty when it can't be told. Lets a test see whether the
// launcher was started by the installer itself or handed to the desktop.
class CParentProcess
{
public:
    static std::string Name();
};

#pragma once

#include <string>

#include "os/OsServices.h"

// The install record under HKEY_LOCAL_MACHINE, shared with the full installer.
extern const wchar_t* const INSTALL_RECORD_KEY;

// Writes the location as "Path" and clears "Operation", each as a 520-byte
// block. True when "Path" was written (the location then is the install
// directory). A location too long for the block is not written at all.
bool WriteInstallRecord(IOsServices& os, const std::wstring& location);

// True when the full installer set "Operation" to exactly "UnInstall".
bool IsOperationUninstall(IOsServices& os);

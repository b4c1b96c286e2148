#pragma once

#include <windows.h>

// The program runs elevated, often from a Downloads folder where anyone may
// leave a DLL. Windows looks for a DLL in the program's own folder first, so
// DLLs are taken from System32 alone: the import table names only KnownDLLs
// (which never come from anywhere else), and every other system DLL is
// delay-loaded through Load on its first use.
class CSystemDlls
{
public:
    // Makes System32 the only folder that DLLs are looked up in from now on,
    // for the program and for whatever the DLLs it loads load themselves.
    // False on a Windows 7 without the update that brought this; Load still
    // takes System32 alone there.
    static bool RestrictSearch();

    // Loads a DLL by its bare name (L"urlmon.dll") from System32 and nowhere
    // else; null when it is not there.
    static HMODULE Load(const wchar_t* pszName);
};

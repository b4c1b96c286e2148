#include "framework/WinApp.h"

#include "framework/win32/Win32WindowBackend.h"

HICON LoadAppIcon(UINT nId)
{
    // A shared icon of the standard size: it lives as long as the program.
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nId));
}

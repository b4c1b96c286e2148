#pragma once

#include <string>

#include "base/Types.h"

class CWnd;

// The application object. Exactly one exists, as a global; the framework starts
// the window system and calls InitInstance, and the process ends when it
// returns FALSE.
class CWinApp
{
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    void SetRegistryKey(const wchar_t* pszKey) { m_strRegistryKey = pszKey; }

    CWnd* m_pMainWnd = nullptr;
    std::wstring m_strRegistryKey;
};

CWinApp* AfxGetApp();

// What each target's entry point does once its window system has started:
// the application object's InitInstance, then its ExitInstance when
// InitInstance asks for a message loop. Returns the exit code.
int AfxWinMain();

// Loads an icon resource ("ICON" type, integer id); null when missing.
HICON LoadAppIcon(UINT nId);

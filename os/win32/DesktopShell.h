#pragma once

#include <string>

#include "base/Types.h"

// Opens programs and pages through the desktop's own shell: the shell
// window's view of the desktop hands out the shell's dispatch object, whose
// ShellExecute runs in the shell's process. What it starts runs as the
// signed-in user with the shell's rights, not with an elevated caller's, and
// inherits nothing of the caller (environment, handles, current folder).
class CDesktopShell
{
public:
    // How far a request got.
    struct Outcome
    {
        // The shell's ShellExecute was reached: the route exists.
        bool m_bReached = false;
        // The answer of the last step taken (S_OK when all went through).
        HRESULT m_hr = E_FAIL;
        // The step that failed, for the tests' and a developer's eyes; null when none did.
        const char* m_pszFailedStep = nullptr;
    };

    // Hands strFileOrUrl to the desktop shell with the verb "open" and
    // SW_SHOWNORMAL. The calling thread must be in a COM apartment. The shell
    // starts the program itself, later: a success says only that it took it.
    static Outcome Open(const std::wstring& strFileOrUrl);
};

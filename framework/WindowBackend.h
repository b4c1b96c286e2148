#pragma once

#include <cstdint>
#include <functional>

#include "base/Types.h"

class CWnd;

// What a target provides to the portable window core: its native windows and
// the waiting and waking of its event loop. The policy built on these (the
// modal runs, the idle queue, the pump) is CWindowSystem's. One backend per
// target, made by PlatformWindowBackend.
class IWindowBackend
{
public:
    virtual ~IWindowBackend() = default;

    // Starts the platform's window system on the calling thread, which becomes
    // the window thread. Called once; false when it cannot start.
    virtual bool Start() = 0;

    // Creates the native window of pWnd and attaches it before its first
    // message (pWnd->m_hWnd is set). hParent is the parent of a child window,
    // the owner of a top-level one. Null if no window was made.
    virtual HWND CreateNative(CWnd* pWnd, LPCWSTR pszClassName, DWORD dwExStyle, LPCWSTR pszText, DWORD dwStyle,
                              const RECT& rect, HWND hParent, UINT nId) = 0;
    // On the window thread: hWnd is still the window that had nSerial.
    virtual bool IsAlive(HWND hWnd, uint64_t nSerial) const = 0;
    virtual uint64_t SerialOf(HWND hWnd) const = 0;

    // Runs `task` on the window thread at its next turn; any thread, after Start.
    virtual void Post(std::function<void()> task) = 0;
    // Wakes the window thread if it waits in WaitForEvent; any thread, after Start.
    virtual void Wake() = 0;
    // Handles what is pending (the platform's events, posted work, due timers,
    // paints). False once nothing is left that comes before idle work.
    virtual bool HandlePending() = 0;
    // Sleeps until an event comes, at most nMaxWaitMs (-1: no limit; the
    // backend wakes earlier for its own timers).
    virtual void WaitForEvent(int nMaxWaitMs) = 0;
    // The platform asked the program to quit: every modal run ends.
    virtual bool IsQuitting() const { return false; }
};

// The backend of the target built; one file per target defines it.
IWindowBackend& PlatformWindowBackend();

// The screen's DPI as the platform reports it; false when it cannot be asked.
// GetScreenDpi puts a test's override before it.
bool QueryScreenDpi(int& dpiX, int& dpiY);

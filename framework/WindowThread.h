#pragma once

#include <cstdint>
#include <functional>

#include "base/Types.h"
#include "framework/Wnd.h"

// The thread that runs the windows, and how work from other threads reaches
// it (framework/WindowSystem.h does the work).
namespace WindowThread
{
// Runs `task` on the window thread at its next turn, in the order posted.
// Safe from any thread.
void Post(std::function<void()> task);
// On the window thread: hWnd is still the window that had nSerial (handles
// are reused, serials are not).
bool IsAlive(HWND hWnd, uint64_t nSerial);
// True on the thread that runs the windows.
bool IsCurrent();
// Runs `task` at once when called on the window thread, else posts it.
void Run(std::function<void()> task);
} // namespace WindowThread

// Runs `action` with the window's handle on the window thread: at once when
// called there, else later, and only if the window still exists by then. A
// call across threads would wait for the window thread, which may itself be
// waiting for the caller.
template <typename Action>
void OnWindowThread(const CWnd* pWnd, Action action)
{
    if (WindowThread::IsCurrent()) {
        if (pWnd->m_hWnd)
            action(pWnd->m_hWnd);
        return;
    }
    pWnd->GetWindowTarget().PostToWindow(action);
}

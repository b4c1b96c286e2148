#pragma once

// The portable window core: the window thread's start, its loop and the
// policy both targets share (modal runs and their nesting, work for when the
// thread is idle, pumping for tests), over the target's IWindowBackend.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "base/Types.h"
#include "framework/WindowBackend.h"

class CWnd;

class CWindowSystem
{
public:
    static CWindowSystem& Get();

    // Starts the backend once, on the thread that is to run the windows.
    bool Init();
    bool IsInitialised() const { return m_bInitialised; }
    // True on the window thread, and on any thread before Init.
    bool IsWindowThread() const;
    IWindowBackend& Backend() const { return m_backend; }

    // Runs `task` on the window thread at its next turn; safe from any thread,
    // also before Init (the work waits for it).
    void Post(std::function<void()> task);
    // Runs `task` on the window thread once nothing is left to handle or paint.
    void PostWhenIdle(std::function<void()> task);

    // Shows the window and runs the loop until EndModal, its destruction or a
    // quit. Runs nest: the innermost is the one input goes to.
    INT_PTR RunModal(CWnd* pWnd);
    // Ends the window's run, also one that has not begun yet.
    void EndModal(HWND hWnd, INT_PTR nResult);
    bool IsModalEnded(HWND hWnd) const;
    // The window of the innermost modal run still going, or null.
    HWND InnermostModal() const;
    // A request to close from outside the program: the innermost modal window
    // is asked to close; with none running, the next run is asked as it starts.
    void AskToClose();

    // Handles everything pending, and keeps doing so for `ms` milliseconds.
    void Pump(int ms);

private:
    explicit CWindowSystem(IWindowBackend& backend) : m_backend(backend) {}

    struct ModalRun
    {
        HWND hWnd;
        uint64_t nSerial;
        bool bRunning;
        bool bEnded;
        INT_PTR nResult;
    };
    ModalRun* FindRun(HWND hWnd);
    const ModalRun* FindRun(HWND hWnd) const;
    bool AnyRunEnded() const;
    // One turn of the loop: pending work, else one idle task, else sleep (a
    // modal loop not once one of its runs has ended).
    void RunOnce(int nMaxWaitMs, bool bModal);
    bool RunOneIdleTask();

    IWindowBackend& m_backend;
    // Workers ask which thread they are on; the id is written before the flag.
    std::atomic<bool> m_bInitialised{false};
    std::thread::id m_windowThread;
    bool m_bClosePending = false;
    std::vector<ModalRun> m_runs; // window thread only; running ones in nesting order
};

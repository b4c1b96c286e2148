#pragma once

// The Windows side of CWnd: every window the framework creates is subclassed
// by one window procedure that finds its object and calls the typed handlers;
// the handlers' base versions go on to the window class's own procedure. The
// message loop of modal runs and test pumps, and the carrying of work from any
// thread to the window thread, live here too.

#include <cstdint>
#include <functional>

#include "base/Types.h"

class CWnd;

// What the framework keeps for one window of its own, from its creation
// (before its first message) until WM_NCDESTROY.
struct WINDOW_RECORD
{
    CWnd* pWnd = nullptr;
    WNDPROC pfnSuper = nullptr;     // the class's procedure: the default processing
    uint64_t nSerial = 0;           // never reused, unlike window handles
    bool bKeepDoubleClicks = false; // edit fields select a word on a double click
    bool bEndModal = false;
    INT_PTR nModalResult = 0;
};

// The dialog procedure of the framework's dialogs.
DLGPROC FrameworkDialogProc();

class CWindowSystem
{
public:
    static CWindowSystem& Get();

    // Registers the window classes and makes the calling thread the window
    // thread. False when that fails.
    bool Init();
    bool IsInitialised() const { return m_bInitialised; }
    bool IsUiThread() const;
    HINSTANCE Instance() const { return m_hInstance; }
    // The class of windows created without a class name.
    static LPCWSTR PlainClassName() { return L"ZelqaWindow"; }

    // Runs `create`, attaching `pWnd` to the first window of class
    // `pszClassName` it creates before that window sees any message, as a
    // window's object must handle its creation messages too. Null if no window.
    HWND CreateAttached(CWnd* pWnd, LPCWSTR pszClassName, const std::function<HWND()>& create);

    // The object of one of the framework's windows; null for any other window.
    // Safe from any thread, as IsAlive is.
    CWnd* FromHandle(HWND hWnd) const;
    bool IsAlive(HWND hWnd, uint64_t nSerial) const;
    // The class's own handling of a message (DefWindowProc once the window is gone).
    LRESULT CallSuper(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const;
    // The same for a handler's default processing: while that very message is
    // being handled, the class gets its original parameters.
    LRESULT Default(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const;

    // Runs `task` on the window thread at its next turn; safe from any thread.
    void Post(std::function<void()> task);
    // Runs `task` on the window thread once nothing is left to handle or paint.
    void PostWhenIdle(std::function<void()> task);

    // Shows the window and runs messages until EndModal or its destruction.
    INT_PTR RunModal(HWND hWnd);
    void EndModal(HWND hWnd, INT_PTR nResult);
    bool IsModalEnded(HWND hWnd) const;
    HWND InnermostModal() const;

    // Handles everything pending, and keeps doing so for `ms` milliseconds.
    void Pump(int ms);
    // Handles everything now pending, and nothing more; false if there was nothing.
    bool DrainMessages();

private:
    CWindowSystem() = default;

    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM);

    void Attach(HWND hWnd, CWnd* pWnd);
    void Detach(HWND hWnd);
    // The record of a window; window thread only (only it deletes records).
    WINDOW_RECORD* Find(HWND hWnd) const;

    // One message from the queue, through PreTranslateMessage; false if none.
    bool HandleOneMessage();
    // Offers a message to its window and the window's ancestors first.
    bool PreTranslate(MSG& msg);
    bool RunOneIdleTask();
    void WaitForMessage(DWORD dwMilliseconds);

    bool m_bInitialised = false;
    DWORD m_nUiThreadId = 0;
    HINSTANCE m_hInstance = nullptr;
    HWND m_hDispatcher = nullptr;
    bool m_bQuit = false;
};

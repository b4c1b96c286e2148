#pragma once

// The Windows backend of the window core: every window the framework creates
// is subclassed by one window procedure that finds its object and calls the
// typed handlers; the handlers' base versions go on to the window class's own
// procedure. The thread's message queue is what the core's loop waits on, and
// work from other threads reaches the window thread through it.

#include <cstdint>
#include <functional>

#include "base/Types.h"
#include "framework/WindowBackend.h"
#include "framework/WindowSystem.h"

class CWnd;

// What the framework keeps for one window of its own, from its creation
// (before its first message) until WM_NCDESTROY.
struct WINDOW_RECORD
{
    CWnd* pWnd = nullptr;
    WNDPROC pfnSuper = nullptr;     // the class's procedure: the default processing
    uint64_t nSerial = 0;           // never reused, unlike window handles
    bool bKeepDoubleClicks = false; // edit fields select a word on a double click
};

// The dialog procedure of the framework's dialogs.
DLGPROC FrameworkDialogProc();

class CWin32WindowBackend : public IWindowBackend
{
public:
    static CWin32WindowBackend& Get() { return static_cast<CWin32WindowBackend&>(CWindowSystem::Get().Backend()); }

    // ---- IWindowBackend
    // Registers the window classes and the dispatcher window.
    bool Start() override;
    HWND CreateNative(CWnd* pWnd, LPCWSTR pszClassName, DWORD dwExStyle, LPCWSTR pszText, DWORD dwStyle,
                      const RECT& rect, HWND hParent, UINT nId) override;
    // Safe from any thread, as FromHandle is.
    bool IsAlive(HWND hWnd, uint64_t nSerial) const override;
    uint64_t SerialOf(HWND hWnd) const override;
    void Post(std::function<void()> task) override;
    void Wake() override;
    // Handles every message now in the queue.
    bool HandlePending() override { return DrainMessages(); }
    void WaitForEvent(int nMaxWaitMs) override;
    bool IsQuitting() const override { return m_bQuit; }

    bool IsUiThread() const { return CWindowSystem::Get().IsWindowThread(); }
    HINSTANCE Instance() const { return m_hInstance; }
    // The class of windows created without a class name.
    static LPCWSTR PlainClassName() { return L"ZelqaWindow"; }

    // Runs `create`, attaching `pWnd` to the first window of class
    // `pszClassName` it creates before that window sees any message, as a
    // window's object must handle its creation messages too. Null if no window.
    HWND CreateAttached(CWnd* pWnd, LPCWSTR pszClassName, const std::function<HWND()>& create);

    // The object of one of the framework's windows; null for any other window.
    CWnd* FromHandle(HWND hWnd) const;
    // The class's own handling of a message (DefWindowProc once the window is gone).
    LRESULT CallSuper(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const;
    // The same for a handler's default processing: while that very message is
    // being handled, the class gets its original parameters.
    LRESULT Default(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const;

    // Handles everything now pending, and nothing more; false if there was nothing.
    bool DrainMessages();

private:
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

    HINSTANCE m_hInstance = nullptr;
    HWND m_hDispatcher = nullptr;
    bool m_bQuit = false;
};

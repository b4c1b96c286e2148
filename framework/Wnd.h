#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Types.h"
#include "framework/WindowTarget.h"

class CDC;
class CFont;

// A window: a top-level window or a child control inside one. The handlers in
// the middle block are called by the window system; their base versions are the
// window class's default processing, so an override that wants the default calls
// the base. Windows may be shown, hidden, moved, sized and invalidated from any
// thread: calls from other threads are carried out on the window's thread, and
// dropped if the window is gone by then.
class CWnd
{
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // ---- Window operations
    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hWnd);
    BOOL DestroyWindow();

    CWnd* GetParent() const;
    UINT GetDlgCtrlID() const;
    DWORD GetStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd);

    void SetWindowText(LPCWSTR lpszString);
    std::wstring GetWindowText() const;
    // The font the window draws its text in; not owned: it must outlive the
    // window or be replaced first.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE);
    HFONT GetFont() const;

    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL bRepaint = TRUE)
    {
        MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
    }
    // Without SWP_NOZORDER the window goes to the top of its siblings.
    BOOL SetWindowPos(const CWnd* pInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    void GetClientRect(CRect* pRect) const;
    void GetWindowRect(CRect* pRect) const;
    void ClientToScreen(CPoint* pPoint) const;
    void ClientToScreen(CRect* pRect) const;
    void ScreenToClient(CPoint* pPoint) const;
    void ScreenToClient(CRect* pRect) const;

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const CRect* pRect, BOOL bErase = TRUE);
    void UpdateWindow();

    CWnd* SetCapture();
    static CWnd* GetCapture();
    static BOOL ReleaseCapture();
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL IsIconic() const;
    BOOL SetForegroundWindow();
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    // Runs `task` on the window thread if this window still exists by then.
    // A worker that may outlive the window takes a target on the window
    // thread first and posts through that.
    void PostTask(std::function<void()> task) { GetWindowTarget().Post(std::move(task)); }
    CWindowTarget GetWindowTarget() const;
    // Lets the user move this top-level window by dragging with the left button
    // held, as a press on a title bar does. Call from a left-button press.
    void BeginMoveDrag();
    // Asks the window to close, as the window manager's close does.
    void SendCloseMessage() { OnWindowClose(); }
    // A repeating timer; OnTimer(nIDEvent) runs on the window thread.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // ---- Handlers, to override as required
    virtual void PreSubclassWindow() {}
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnMouseMove(UINT nFlags, CPoint point);
    virtual void OnMouseHover(UINT nFlags, CPoint point);
    virtual void OnMouseLeave();
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnLButtonUp(UINT nFlags, CPoint point);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnSetFocus(CWnd* pOldWnd);
    virtual void OnKillFocus(CWnd* pNewWnd);
    // A command from a child control (its id and notification code).
    virtual BOOL OnCommand(UINT nID, UINT nCode);
    // A child's draw request; the default hands it back to the child's DrawItem.
    virtual void OnDrawItem(UINT nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    // A child's colour request; the default hands it back to the child's CtlColor.
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    // The window is asked to close (the window manager's close, or
    // SendCloseMessage); the default destroys it.
    virtual void OnWindowClose();
    virtual void OnTimer(UINT_PTR nIDEvent);
    virtual void OnDestroy();

    // Reflected requests, answered by the control they concern.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual HBRUSH CtlColor(CDC*, UINT) { return nullptr; }

    // ---- Plumbing, not intended to be overridden by application classes
    // Creates the window object's window of the named window class (the
    // platform's BUTTON, STATIC, EDIT; null for a plain window). Used by the
    // control classes' Create and by dialogs.
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID);

    HWND m_hWnd = nullptr;

    // Set and cleared by the window system on the window thread; what other
    // threads go by, since m_hWnd itself is the window thread's alone.
    void SetPostTarget(HWND hWnd, uint64_t nSerial);

private:
    std::atomic<HWND> m_hPostWnd{nullptr};
    std::atomic<uint64_t> m_nPostSerial{0};
};

#include "framework/WindowThread.h"
#include "framework/Wnd.h"

#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/Screen.h"
#include "framework/win32/Win32WindowBackend.h"

namespace
{
CWin32WindowBackend& Ws()
{
    return CWin32WindowBackend::Get();
}

HWND RootOf(HWND hWnd)
{
    return hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
}

LPARAM PackPoint(CPoint point)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(point.x)), static_cast<WORD>(static_cast<SHORT>(point.y)));
}
} // namespace

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return Ws().FromHandle(hWnd);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    const BOOL bDestroyed = ::DestroyWindow(hWnd);
    // Detached by its last message; a window of another thread can't be
    // destroyed from here, but the object lets go of it all the same.
    if (m_hWnd == hWnd) {
        SetPostTarget(nullptr, 0);
        m_hWnd = nullptr;
    }
    return bDestroyed;
}

CWnd* CWnd::GetParent() const
{
    return m_hWnd ? FromHandle(::GetParent(m_hWnd)) : nullptr;
}

UINT CWnd::GetDlgCtrlID() const
{
    return m_hWnd ? static_cast<UINT>(::GetDlgCtrlID(m_hWnd)) : 0;
}

DWORD CWnd::GetStyle() const
{
    return m_hWnd ? static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)) : 0;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    if (!m_hWnd)
        return FALSE;
    // Visibility changes only by showing and hiding.
    const DWORD dwOld = GetStyle();
    const DWORD dwNew = (((dwOld & ~dwRemove) | dwAdd) & ~WS_VISIBLE) | (dwOld & WS_VISIBLE);
    if (dwNew != dwOld)
        SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNew));
    return TRUE;
}

void CWnd::SetWindowText(LPCWSTR lpszString)
{
    if (!m_hWnd)
        return;
    ::SetWindowTextW(m_hWnd, lpszString ? lpszString : L"");
    Invalidate(TRUE);
}

std::wstring CWnd::GetWindowText() const
{
    if (!m_hWnd)
        return std::wstring();
    const int nLength = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(nCopied > 0 ? nCopied : 0));
    return text;
}

void CWnd::SetFont(HFONT hFont, BOOL bRedraw)
{
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), MAKELPARAM(bRedraw ? TRUE : FALSE, 0));
}

HFONT CWnd::GetFont() const
{
    return m_hWnd ? reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    // Whether it was visible can be told only on the window thread.
    const BOOL bWasVisible = Ws().IsUiThread() && (GetStyle() & WS_VISIBLE) != 0;
    OnWindowThread(this, [nCmdShow](HWND h) {
        // A child shown must not take the activation from its top-level window.
        const bool bChild = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) != 0;
        ::ShowWindow(h, bChild && nCmdShow == SW_SHOW ? SW_SHOWNA : nCmdShow);
    });
    return bWasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint)
{
    OnWindowThread(this, [=](HWND h) { ::MoveWindow(h, x, y, cx, cy, bRepaint); });
}

BOOL CWnd::SetWindowPos(const CWnd* pInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    HWND hInsertAfter = pInsertAfter ? pInsertAfter->m_hWnd : HWND_TOP;
    OnWindowThread(this, [=](HWND h) { ::SetWindowPos(h, hInsertAfter, x, y, cx, cy, nFlags); });
    return TRUE;
}

void CWnd::GetClientRect(CRect* pRect) const
{
    *pRect = CRect();
    if (m_hWnd)
        ::GetClientRect(m_hWnd, pRect);
}

void CWnd::GetWindowRect(CRect* pRect) const
{
    *pRect = CRect();
    if (m_hWnd)
        ::GetWindowRect(m_hWnd, pRect);
}

void CWnd::ClientToScreen(CPoint* pPoint) const
{
    if (m_hWnd)
        ::ClientToScreen(m_hWnd, pPoint);
}

void CWnd::ClientToScreen(CRect* pRect) const
{
    if (m_hWnd)
        MapWindowPoints(m_hWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::ScreenToClient(CPoint* pPoint) const
{
    if (m_hWnd)
        ::ScreenToClient(m_hWnd, pPoint);
}

void CWnd::ScreenToClient(CRect* pRect) const
{
    if (m_hWnd)
        MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::Invalidate(BOOL bErase)
{
    OnWindowThread(this, [bErase](HWND h) { ::InvalidateRect(h, nullptr, bErase); });
}

void CWnd::InvalidateRect(const CRect* pRect, BOOL bErase)
{
    if (!pRect) {
        Invalidate(bErase);
        return;
    }
    const RECT rect = *pRect;
    OnWindowThread(this, [rect, bErase](HWND h) { ::InvalidateRect(h, &rect, bErase); });
}

void CWnd::UpdateWindow()
{
    OnWindowThread(this, [](HWND h) { ::UpdateWindow(h); });
}

CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

BOOL CWnd::ReleaseCapture()
{
    return ::ReleaseCapture();
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

BOOL CWnd::IsIconic() const
{
    HWND hRoot = RootOf(m_hWnd);
    return hRoot && ::IsIconic(hRoot);
}

BOOL CWnd::SetForegroundWindow()
{
    // The system may refuse a program in the background; the taskbar then flashes.
    OnWindowThread(this, [](HWND h) { ::SetForegroundWindow(RootOf(h)); });
    return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    if (!m_hWnd)
        return nullptr;
    return reinterpret_cast<HICON>(
        SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::BeginMoveDrag()
{
    HWND hRoot = RootOf(m_hWnd);
    if (!hRoot)
        return;
    // The press becomes one on a title bar: the system moves the window while
    // the button stays down, from where the button went down.
    const DWORD dwPos = GetMessagePos();
    ::ReleaseCapture();
    PostMessageW(hRoot, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(dwPos));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    if (!m_hWnd)
        return 0;
    OnWindowThread(this, [nIDEvent, nElapse](HWND h) { ::SetTimer(h, nIDEvent, nElapse, nullptr); });
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!m_hWnd)
        return FALSE;
    OnWindowThread(this, [nIDEvent](HWND h) { ::KillTimer(h, nIDEvent); });
    return TRUE;
}

// ---- Default processing: the window class's own procedure

void CWnd::OnPaint()
{
    Ws().Default(m_hWnd, WM_PAINT, 0, 0);
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC)
{
    return static_cast<BOOL>(
        Ws().Default(m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(pDC ? pDC->GetSafeHdc() : nullptr), 0));
}

void CWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    Ws().Default(m_hWnd, WM_MOUSEMOVE, nFlags, PackPoint(point));
}

void CWnd::OnMouseHover(UINT nFlags, CPoint point)
{
    Ws().Default(m_hWnd, WM_MOUSEHOVER, nFlags, PackPoint(point));
}

void CWnd::OnMouseLeave()
{
    Ws().Default(m_hWnd, WM_MOUSELEAVE, 0, 0);
}

void CWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    Ws().Default(m_hWnd, WM_LBUTTONDOWN, nFlags, PackPoint(point));
}

void CWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    Ws().Default(m_hWnd, WM_LBUTTONUP, nFlags, PackPoint(point));
}

void CWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    Ws().Default(m_hWnd, WM_KEYDOWN, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    Ws().Default(m_hWnd, WM_CHAR, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnSetFocus(CWnd* pOldWnd)
{
    Ws().Default(m_hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(pOldWnd ? pOldWnd->m_hWnd : nullptr), 0);
}

void CWnd::OnKillFocus(CWnd* pNewWnd)
{
    Ws().Default(m_hWnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(pNewWnd ? pNewWnd->m_hWnd : nullptr), 0);
}

void CWnd::OnTimer(UINT_PTR nIDEvent)
{
    Ws().Default(m_hWnd, WM_TIMER, nIDEvent, 0);
}

void CWnd::OnDestroy()
{
    Ws().Default(m_hWnd, WM_DESTROY, 0, 0);
}

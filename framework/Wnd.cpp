// The window's default handlers that are the same on every target.
#include "framework/Wnd.h"

#include "framework/Font.h"
#include "framework/Screen.h"
#include "framework/WindowSystem.h"

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    DestroyWindow();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID)
{
    CWindowSystem& ws = CWindowSystem::Get();
    if (m_hWnd || !ws.Init())
        return FALSE;
    HWND hParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    if ((dwStyle & WS_CHILD) && !hParent)
        return FALSE;
    HWND hWnd = ws.Backend().CreateNative(this, lpszClassName, dwExStyle, lpszWindowName ? lpszWindowName : L"",
                                          dwStyle, rect, hParent, nID);
    // A window destroyed while it was being created leaves the object without one.
    return hWnd != nullptr && m_hWnd == hWnd;
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SetFont(pFont ? pFont->GetSafeHandle() : nullptr, bRedraw);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::OnCommand(UINT, UINT)
{
    return FALSE;
}

void CWnd::OnDrawItem(UINT, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (CWnd* pItem = FromHandle(lpDrawItemStruct->hwndItem))
        pItem->DrawItem(lpDrawItemStruct);
}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return pWnd ? pWnd->CtlColor(pDC, nCtlColor) : nullptr;
}

void CWnd::OnWindowClose()
{
    DestroyWindow();
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    if (!m_hWnd)
        return;
    const bool bChild = (GetStyle() & WS_CHILD) != 0;
    CWnd* pParent = GetParent();
    CWnd* pOwner = pAlternateOwner ? pAlternateOwner : pParent;
    // A hidden or minimised owner is no place to centre over: the work area is.
    CRect area;
    if (bChild && pOwner) {
        pOwner->GetClientRect(&area);
        pOwner->ClientToScreen(&area);
    } else if (pOwner && pOwner->m_hWnd && pOwner->IsWindowVisible() && !pOwner->IsIconic()) {
        pOwner->GetWindowRect(&area);
    } else {
        area = GetScreenWorkArea();
    }
    CRect rc;
    GetWindowRect(&rc);
    int x = area.left + (area.Width() - rc.Width()) / 2;
    int y = area.top + (area.Height() - rc.Height()) / 2;
    if (bChild) {
        // A child is placed in its parent's client coordinates, whoever it was centred over.
        CPoint pt(x, y);
        if (pParent)
            pParent->ScreenToClient(&pt);
        x = pt.x;
        y = pt.y;
    } else {
        // Over an owner near a screen edge the window still lies on the screen.
        const CRect work = GetScreenWorkArea();
        if (x + rc.Width() > work.right)
            x = work.right - rc.Width();
        if (y + rc.Height() > work.bottom)
            y = work.bottom - rc.Height();
        if (x < work.left)
            x = work.left;
        if (y < work.top)
            y = work.top;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

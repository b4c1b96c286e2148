// The window's default handlers that are the same on every target.
#include "framework/Wnd.h"

BOOL CWnd::OnCommand(UINT, UINT) { return FALSE; }

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

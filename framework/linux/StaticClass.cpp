#include "framework/linux/StaticClass.h"

#include "framework/DC.h"
#include "framework/Wnd.h"

bool CStaticClass::IsMouseTransparent() const
{
    return (m_wnd.GetStyle() & SS_NOTIFY) == 0;
}

void CStaticClass::OnLButtonDown(UINT, CPoint)
{
    if (!(m_wnd.GetStyle() & SS_NOTIFY))
        return;
    if (CWnd* pParent = m_wnd.GetParent())
        pParent->OnCommand(m_wnd.GetDlgCtrlID(), STN_CLICKED);
}

void CStaticClass::OnPaint(CDC* pDC)
{
    CWnd* pParent = m_wnd.GetParent();
    CRect rc;
    m_wnd.GetClientRect(&rc);
    if ((m_wnd.GetStyle() & SS_TYPEMASK) == SS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_STATIC;
        dis.CtlID = m_wnd.GetDlgCtrlID();
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hwndItem = m_wnd.m_hWnd;
        dis.hDC = pDC->GetSafeHdc();
        dis.rcItem = rc;
        if (pParent)
            pParent->OnDrawItem(dis.CtlID, &dis);
        return;
    }
    HBRUSH hBrush = pParent ? pParent->OnCtlColor(pDC, &m_wnd, CTLCOLOR_STATIC) : nullptr;
    if (hBrush)
        pDC->FillRect(rc, hBrush);
    if (HFONT hFont = m_wnd.GetFont())
        pDC->SelectObject(hFont);
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut(0, 0, m_wnd.GetWindowText());
}

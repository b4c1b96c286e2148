#include "framework/linux/ButtonClass.h"

#include "framework/DC.h"
#include "framework/Wnd.h"

void CButtonClass::SetPushed(bool bPushed)
{
    if (m_bPushed == bPushed)
        return;
    m_bPushed = bPushed;
    // The pushed look is redrawn over the button's current pixels.
    m_wnd.Invalidate(FALSE);
}

void CButtonClass::OnLButtonDown(UINT, CPoint)
{
    m_wnd.SetCapture();
    m_wnd.SetFocus();
    m_bTracking = true;
    SetPushed(true);
}

void CButtonClass::OnMouseMove(UINT, CPoint point)
{
    if (!m_bTracking)
        return;
    CRect rc;
    m_wnd.GetClientRect(&rc);
    SetPushed(rc.PtInRect(point));
}

void CButtonClass::OnLButtonUp(UINT, CPoint point)
{
    if (!m_bTracking)
        return;
    m_bTracking = false;
    CWnd::ReleaseCapture();
    SetPushed(false);
    CRect rc;
    m_wnd.GetClientRect(&rc);
    if (rc.PtInRect(point)) {
        if (CWnd* pParent = m_wnd.GetParent())
            pParent->OnCommand(m_wnd.GetDlgCtrlID(), BN_CLICKED);
    }
}

void CButtonClass::OnPaint(CDC* pDC)
{
    CRect rc;
    m_wnd.GetClientRect(&rc);
    if ((m_wnd.GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = m_wnd.GetDlgCtrlID();
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (m_bPushed ? ODS_SELECTED : 0) | (CWnd::GetFocus() == &m_wnd ? ODS_FOCUS : 0);
        dis.hwndItem = m_wnd.m_hWnd;
        dis.hDC = pDC->GetSafeHdc();
        dis.rcItem = rc;
        if (CWnd* pParent = m_wnd.GetParent())
            pParent->OnDrawItem(dis.CtlID, &dis);
        return;
    }
    // A plain button: a flat face with its caption centred.
    pDC->FillSolidRect(rc, m_bPushed ? RGB(204, 228, 247) : RGB(225, 225, 225));
    CPen pen(PS_SOLID, 1, RGB(173, 173, 173));
    CSelectGuard<HPEN> selectPen(*pDC, pen.GetSafeHandle());
    CSelectGuard<HBRUSH> selectBrush(*pDC, GetNullBrush());
    pDC->Rectangle(rc.left, rc.top, rc.right, rc.bottom);
    const std::wstring text = m_wnd.GetWindowText();
    const CSize size = pDC->GetTextExtent(text);
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut((rc.Width() - size.cx) / 2, (rc.Height() - size.cy) / 2, text);
}

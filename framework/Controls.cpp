// Default processing of the standard control classes; the same on every target
// that emulates them.
#include "framework/Button.h"
#include "framework/DC.h"
#include "framework/Static.h"

int CDC::DrawText(std::wstring_view text, const CRect& rect, UINT nFormat)
{
    const CSize size = GetTextExtent(text);
    int x = rect.left;
    if (nFormat & DT_CENTER)
        x = (rect.left + rect.right - size.cx) / 2;
    else if (nFormat & DT_RIGHT)
        x = rect.right - size.cx;
    int y = rect.top;
    if ((nFormat & DT_VCENTER) && (nFormat & DT_SINGLELINE))
        y = (rect.top + rect.bottom - size.cy) / 2;
    const int saved = SaveDC();
    IntersectClipRect(rect);
    TextOut(x, y, text);
    RestoreDC(saved);
    return size.cy;
}

void CButton::SetPushed(bool bPushed)
{
    if (m_bPushed == bPushed)
        return;
    m_bPushed = bPushed;
    // The pushed look is redrawn over the button's current pixels.
    Invalidate(FALSE);
}

void CButton::OnLButtonDown(UINT, CPoint)
{
    SetCapture();
    SetFocus();
    m_bTracking = true;
    SetPushed(true);
}

void CButton::OnMouseMove(UINT, CPoint point)
{
    if (!m_bTracking)
        return;
    CRect rc;
    GetClientRect(&rc);
    SetPushed(rc.PtInRect(point));
}

void CButton::OnLButtonUp(UINT, CPoint point)
{
    if (!m_bTracking)
        return;
    m_bTracking = false;
    ReleaseCapture();
    SetPushed(false);
    CRect rc;
    GetClientRect(&rc);
    if (rc.PtInRect(point)) {
        if (CWnd* pParent = GetParent())
            pParent->OnCommand(GetDlgCtrlID(), BN_CLICKED);
    }
}

void CButton::DefaultPaint(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    if ((GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW) {
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = GetDlgCtrlID();
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (m_bPushed ? ODS_SELECTED : 0) | (GetFocus() == this ? ODS_FOCUS : 0);
        dis.hwndItem = m_hWnd;
        dis.hDC = pDC->GetSafeHdc();
        dis.rcItem = rc;
        if (CWnd* pParent = GetParent())
            pParent->OnDrawItem(dis.CtlID, &dis);
        return;
    }
    // A plain button: a flat face with its caption centred.
    pDC->FillSolidRect(rc, m_bPushed ? RGB(204, 228, 247) : RGB(225, 225, 225));
    CPen pen(PS_SOLID, 1, RGB(173, 173, 173));
    CSelectGuard<HPEN> selectPen(*pDC, pen.GetSafeHandle());
    CSelectGuard<HBRUSH> selectBrush(*pDC, GetNullBrush());
    pDC->Rectangle(rc.left, rc.top, rc.right, rc.bottom);
    const std::wstring text = GetWindowText();
    const CSize size = pDC->GetTextExtent(text);
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut((rc.Width() - size.cx) / 2, (rc.Height() - size.cy) / 2, text);
}

void CStatic::OnLButtonDown(UINT, CPoint)
{
    if (!(GetStyle() & SS_NOTIFY))
        return;
    if (CWnd* pParent = GetParent())
        pParent->OnCommand(GetDlgCtrlID(), STN_CLICKED);
}

void CStatic::DefaultPaint(CDC* pDC)
{
    CWnd* pParent = GetParent();
    if ((GetStyle() & SS_TYPEMASK) == SS_OWNERDRAW) {
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_STATIC;
        dis.CtlID = GetDlgCtrlID();
        dis.hwndItem = m_hWnd;
        dis.hDC = pDC->GetSafeHdc();
        GetClientRect(&dis.rcItem);
        if (pParent)
            pParent->OnDrawItem(dis.CtlID, &dis);
        return;
    }
    HBRUSH hBrush = pParent ? pParent->OnCtlColor(pDC, this, CTLCOLOR_STATIC) : nullptr;
    CRect rc;
    GetClientRect(&rc);
    if (hBrush)
        pDC->FillRect(rc, hBrush);
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut(0, 0, GetWindowText());
}

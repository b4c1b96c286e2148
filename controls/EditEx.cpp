#include "controls/EditEx.h"

#include "common/DpiScaler.h"
#include "common/UiFont.h"
#include "framework/DC.h"

CEditEx::CEditEx() : m_nRadius(0), m_crBorder(RGB(209, 209, 209)), m_crBack(RGB(209, 209, 209))
{
    m_brBack.CreateSolidBrush(m_crBack);
}

CEditEx::~CEditEx()
{
    // The field is a child window: it goes before the members it uses.
    DestroyWindow();
}

void CEditEx::PreSubclassWindow()
{
    // Owner-drawn, so the frame is painted only through DrawItem.
    ModifyStyle(0, SS_OWNERDRAW | SS_NOTIFY);
    CStatic::PreSubclassWindow();
}

void CEditEx::SetWhiteBackground()
{
    m_crBack = RGB(255, 255, 255);
    m_brBack.CreateSolidBrush(m_crBack);
    if (m_edit.GetSafeHwnd()) {
        PassBackground();
        m_edit.Invalidate(TRUE);
    }
    Invalidate(TRUE);
}

void CEditEx::SetText(const std::wstring& text)
{
    m_strText = text;
    m_bTextPending = true;
    Invalidate(TRUE);
}

void CEditEx::PassBackground()
{
    m_edit.m_crBack = m_crBack;
    m_edit.m_brBack.CreateSolidBrush(m_crBack);
}

void CEditEx::CreateEdit()
{
    CRect rc;
    GetClientRect(&rc);
    DpiScaler scaler;
    rc.left += scaler.ScaleX(5);
    rc.right -= scaler.ScaleX(5);
    rc.top += scaler.ScaleY(5);
    rc.bottom -= scaler.ScaleY(5);
    if (!m_edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, rc, this, kEditId))
        return; // the next paint tries again

    // All zero but the height (the cell height) and the face.
    FontDesc desc{};
    desc.nHeight = rc.Height();
    desc.nWeight = 0;
    desc.nCharSet = 0;
    desc.nPitchAndFamily = 0;
    desc.pszFace = kUiFontFace;
    m_font.CreateFontIndirect(desc);
    m_edit.SetFont(&m_font, TRUE);

    m_edit.SetWindowText(m_strText.c_str());
    m_bTextPending = false;
    PassBackground();
    m_edit.Invalidate(TRUE);
    m_edit.ShowWindow(SW_SHOW);
}

void CEditEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    {
        const CRect rc(lpDrawItemStruct->rcItem);
        CPen pen(PS_SOLID, 1, m_crBorder);
        CSelectGuard<HPEN> selectPen(dc, pen.GetSafeHandle());
        CSelectGuard<HBRUSH> selectBrush(dc, m_brBack.GetSafeHandle());
        dc.RoundRect(rc.left, rc.top, rc.right, rc.bottom, m_nRadius, m_nRadius);
    }
    dc.Detach();

    if (!m_edit.GetSafeHwnd()) {
        CreateEdit();
        return;
    }
    m_edit.ShowWindow(SW_SHOW);
    if (m_edit.m_crBack != m_crBack) {
        PassBackground();
        m_edit.Invalidate(TRUE);
    }
    if (m_bTextPending) {
        m_bTextPending = false;
        m_edit.SetWindowText(m_strText.c_str());
    }
}

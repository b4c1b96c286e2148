#include "controls/StaticEx.h"

#include "common/UiFont.h"
#include "controls/TextMeasure.h"

bool CStaticEx::s_bNeedBackground = true;

CStaticEx::CStaticEx() : m_crText(RGB(60, 60, 60)), m_nFontHeight(20)
{
    m_font.CreateFontIndirect(UiFont(m_nFontHeight));
}

CStaticEx::~CStaticEx()
{
    // GDI refuses to delete a bitmap that is still selected into a DC.
    if (m_hOldBitmap)
        m_memDC.SelectObject(m_hOldBitmap);
}

void CStaticEx::SetFontHeight(int nHeight)
{
    m_nFontHeight = nHeight;
    m_font.CreateFontIndirect(UiFont(m_nFontHeight));
}

CSize CStaticEx::CalcTextSize()
{
    return CalcWindowTextSize(this, m_font);
}

void CStaticEx::OnPaint()
{
    CPaintDC dc(this);
    CRect rcWindow;
    GetWindowRect(&rcWindow);

    CWnd* pParent = GetParent();
    if (s_bNeedBackground && pParent) {
        s_bNeedBackground = false;
        pParent->ScreenToClient(&rcWindow);
        CClientDC parentDc(pParent);
        m_bmpBack.CreateCompatibleBitmap(&dc, rcWindow.Width(), rcWindow.Height());
        m_memDC.CreateCompatibleDC(&dc);
        m_hOldBitmap = m_memDC.SelectObject(&m_bmpBack);
        m_memDC.StretchBlt(0, 0, rcWindow.Width(), rcWindow.Height(), &parentDc, rcWindow.left, rcWindow.top,
                           rcWindow.Width(), rcWindow.Height(), SRCCOPY);
    }

    CSelectGuard<HFONT> select(dc, m_font.GetSafeHandle());
    dc.SetTextColor(m_crText);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(0, 0, GetWindowText());
}

BOOL CStaticEx::OnEraseBkgnd(CDC* pDC)
{
    // Without a snapshot this copies nothing and the pixels beneath stay.
    CRect rc;
    GetClientRect(&rc);
    pDC->BitBlt(0, 0, rc.Width(), rc.Height(), &m_memDC, 0, 0, SRCCOPY);
    return FALSE;
}

#include "controls/StaticEx.h"

#include "common/UiFont.h"
#include "controls/PageBackground.h"
#include "controls/TextMeasure.h"
#include "framework/DC.h"

CStaticEx::CStaticEx() : m_crText(RGB(60, 60, 60)), m_nFontHeight(20)
{
    m_font.CreateFontIndirect(UiFont(m_nFontHeight));
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
    const std::wstring text = GetWindowText();
    PaintOverPage(this, &dc, [&](CDC& out) {
        CSelectGuard<HFONT> select(out, m_font.GetSafeHandle());
        out.SetTextColor(m_crText);
        out.SetBkMode(TRANSPARENT);
        out.TextOut(0, 0, text);
    });
}

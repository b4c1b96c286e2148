#include "controls/TextButtonEx.h"

#include "common/DpiScaler.h"
#include "common/UiFont.h"
#include "controls/PageBackground.h"
#include "controls/TextMeasure.h"
#include "framework/DC.h"

CTextButtonEx::CTextButtonEx()
    : m_crText{RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
      m_nFontHeight(DpiScaler().ScaleX(14))
{
    m_font.CreateFontIndirect(UiFont(m_nFontHeight));
}

void CTextButtonEx::SetFontHeight(int nHeight)
{
    m_nFontHeight = nHeight;
    m_font.CreateFontIndirect(UiFont(m_nFontHeight));
}

CSize CTextButtonEx::CalcTextSize()
{
    return CalcWindowTextSize(this, m_font);
}

void CTextButtonEx::OnPaint()
{
    CPaintDC dc(this);
    const std::wstring text = GetWindowText();
    PaintOverPage(this, &dc, [&](CDC& out) {
        CSelectGuard<HFONT> select(out, m_font.GetSafeHandle());
        out.SetTextColor(m_crText[static_cast<unsigned>(m_nState) & 3]);
        out.SetBkMode(TRANSPARENT);
        out.TextOut(0, 0, text);
    });
}

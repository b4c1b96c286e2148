#include "controls/ImageTextButtonEx.h"

#include "common/DpiScaler.h"
#include "common/UiFont.h"
#include "controls/PageBackground.h"
#include "framework/DC.h"
#include "framework/Font.h"

CImageTextButtonEx::CImageTextButtonEx()
    : m_crText{RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
      m_nFontHeight(DpiScaler().ScaleX(28))
{
}

void CImageTextButtonEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!m_pImage)
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    // The caption font lives for this paint only, so a new height shows at the next one.
    CFont font;
    font.CreateFontIndirect(UiFont(m_nFontHeight));
    PaintOverPage(this, &dc, [&](CDC& out) {
        DrawStateCell(&out, rcItem);
        CSelectGuard<HFONT> select(out, font.GetSafeHandle());
        out.SetTextColor(m_crText[static_cast<unsigned>(m_nState) & 3]);
        out.SetBkMode(TRANSPARENT);
        out.DrawText(GetWindowText(), rcItem, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    });
    dc.Detach();
}

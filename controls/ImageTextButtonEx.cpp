#include "controls/ImageTextButtonEx.h"

#include "common/DpiScaler.h"
#include "common/UiFont.h"
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
    DrawStateCell(&dc, rcItem);

    // The caption font lives for this paint only, so a new height shows at the next one.
    CFont font;
    font.CreateFontIndirect(UiFont(m_nFontHeight));
    {
        CSelectGuard<HFONT> select(dc, font.GetSafeHandle());
        dc.SetTextColor(m_crText[static_cast<unsigned>(m_nState) & 3]);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(GetWindowText(), rcItem, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.Detach();
}

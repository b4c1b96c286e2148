#include "controls/ImageButtonEx.h"

#include "controls/PageBackground.h"
#include "framework/DC.h"

void CImageButtonEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!m_pImage)
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    PaintOverPage(this, &dc, [&](CDC& out) { DrawStateCell(&out, rcItem); });
    dc.Detach();
}

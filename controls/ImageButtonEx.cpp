#include "controls/ImageButtonEx.h"

#include "framework/DC.h"

void CImageButtonEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!m_pImage)
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    DrawStateCell(&dc, lpDrawItemStruct->rcItem);
    dc.Detach();
}

#include "controls/CheckBoxEx.h"

#include "controls/PageBackground.h"
#include "controls/PngResource.h"
#include "framework/DC.h"
#include "res/resource.h"

void CCheckBoxEx::SetImage()
{
    if (LoadPngResource(IDB_CHECKBOX, m_pImage))
        SizeControlToStrip(this, m_pImage.get(), true);
}

void CCheckBoxEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!m_pImage)
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    const CRect rcCell = CheckBoxCellRect(m_pImage->GetWidth(), m_pImage->GetHeight(), m_nState, m_bChecked != 0);
    PaintOverPage(this, &dc, [&](CDC& out) { DrawStripCell(&out, m_pImage.get(), rcItem, rcCell); });
    dc.Detach();
}

#include "controls/StateStrip.h"

#include "common/DpiScaler.h"
#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Image.h"
#include "framework/Wnd.h"

CRect StateCellRect(UINT W, UINT H, int nState)
{
    const UINT y = (static_cast<UINT>(nState) * H) / 4;
    return CRect(0, static_cast<LONG>(y), static_cast<LONG>(W), static_cast<LONG>(y + H / 4));
}

CRect CheckBoxCellRect(UINT W, UINT H, int nState, bool bChecked)
{
    const UINT cx = W / 2;
    const UINT x = bChecked ? cx : 0;
    const UINT y = (static_cast<UINT>(nState) * H) / 4;
    return CRect(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + cx), static_cast<LONG>(y + H / 4));
}

CSize StripControlSize(UINT W, UINT H, bool bTwoColumns)
{
    LONG cx = DpiScaler().ScaleX(static_cast<int32_t>(W));
    if (bTwoColumns)
        cx /= 2;
    const LONG cy = DpiScaler().ScaleY(static_cast<int32_t>(H)) / 4;
    return CSize(cx, cy);
}

void SizeControlToStrip(CWnd* pWnd, const CImage* pImage, bool bTwoColumns)
{
    if (!pWnd || !pImage)
        return;
    const CSize size = StripControlSize(pImage->GetWidth(), pImage->GetHeight(), bTwoColumns);
    pWnd->SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE);
}

void DrawStripCell(CDC* pDC, const CImage* pImage, const CRect& rcItem, const CRect& rcSource)
{
    if (!pImage)
        return;
    pDC->SetBkMode(TRANSPARENT);
    CGraphics graphics(pDC);
    graphics.DrawImage(pImage, CRect(0, 0, rcItem.Width(), rcItem.Height()), rcSource.left, rcSource.top,
                       rcSource.Width(), rcSource.Height());
}

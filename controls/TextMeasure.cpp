#include "controls/TextMeasure.h"

#include "framework/DC.h"
#include "framework/Wnd.h"

CSize CalcWindowTextSize(CWnd* pWnd, const CFont& font)
{
    CClientDC dc(pWnd);
    CSelectGuard<HFONT> select(dc, font.GetSafeHandle());
    const CSize extent = dc.GetTextExtent(pWnd->GetWindowText());
    CRect rc;
    pWnd->GetClientRect(&rc);
    return CSize(extent.cx, rc.Height());
}

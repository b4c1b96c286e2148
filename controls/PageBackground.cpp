#include "controls/PageBackground.h"

#include "framework/Bitmap.h"
#include "framework/Wnd.h"

void PaintOverPage(CWnd* pControl, CDC* pDC, const std::function<void(CDC& dc)>& drawLook)
{
    CWnd* pParent = pControl->GetParent();
    auto* pPage = dynamic_cast<IPageBackground*>(pParent);
    CRect rc;
    pControl->GetClientRect(&rc);
    CDC memDc;
    CBitmap bitmap;
    if (!pPage || rc.IsRectEmpty() || !memDc.CreateCompatibleDC(pDC) ||
        !bitmap.CreateCompatibleBitmap(pDC, rc.Width(), rc.Height())) {
        drawLook(*pDC);
        return;
    }
    CSelectGuard<HBITMAP> select(memDc, bitmap.GetSafeHandle());
    CRect rcInParent;
    pControl->GetWindowRect(&rcInParent);
    pParent->ScreenToClient(&rcInParent);
    pPage->DrawPageBackground(&memDc, rcInParent);
    drawLook(memDc);
    pDC->BitBlt(0, 0, rc.Width(), rc.Height(), &memDc, 0, 0, SRCCOPY);
}

#include "framework/linux/DialogClass.h"

#include "framework/DC.h"
#include "framework/Wnd.h"

BOOL CDialogClass::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    m_wnd.GetClientRect(&rc);
    pDC->FillSolidRect(rc, RGB(240, 240, 240));
    return TRUE;
}

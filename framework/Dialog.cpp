// The dialog behaviour that is the same on every target.
#include "framework/Dialog.h"

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnWindowClose()
{
    OnCancel();
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN)
        return FALSE;
    if (pMsg->wParam == VK_ESCAPE) {
        OnCancel();
        return TRUE;
    }
    if (pMsg->wParam == VK_RETURN) {
        OnOK();
        return TRUE;
    }
    return FALSE;
}

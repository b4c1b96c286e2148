// The dialog behaviour that is the same on every target.
#include "framework/Dialog.h"

#include "framework/WindowSystem.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

void CDialog::EndDialog(INT_PTR nResult)
{
    if (m_hWnd)
        CWindowSystem::Get().EndModal(m_hWnd, nResult);
}

BOOL CDialog::InitDialog()
{
    CRect rcBefore;
    GetWindowRect(&rcBefore);
    const BOOL bResult = OnInitDialog();
    if (!m_hWnd || IsWindowVisible())
        return bResult;
    CRect rcAfter;
    GetWindowRect(&rcAfter);
    // A dialog that did not place itself while initialising is centred over
    // its owner (the work area without one) before it shows.
    if (rcAfter.TopLeft() == rcBefore.TopLeft())
        CenterWindow();
    return bResult;
}

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

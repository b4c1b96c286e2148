#pragma once

#include "framework/Wnd.h"

// A top-level window built from a dialog template and run modally: while it
// runs, its owner takes no input.
class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window, initialises it, shows it and runs until EndDialog.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR nResult);

    virtual BOOL OnInitDialog();
    // A close request ends the run with IDCANCEL.
    void OnWindowClose() override;
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // The dialog's keyboard handling: Escape cancels, Enter confirms.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // ---- Plumbing: the backend calls it once the dialog's controls exist,
    // before the dialog shows. OnInitDialog, then centring unless it placed itself.
    BOOL InitDialog();

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};

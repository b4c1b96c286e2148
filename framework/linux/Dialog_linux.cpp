#include "framework/Dialog.h"

#include "framework/DC.h"
#include "framework/Resources.h"
#include "framework/WindowSystem.h"

INT_PTR CDialog::DoModal()
{
    DIALOG_TEMPLATE_ENTRY tmpl{m_nIDTemplate, WS_POPUP | WS_VISIBLE, 0, 200, 100};
    FindDialogTemplate(m_nIDTemplate, tmpl);
    // Dialog units of the template's 9-point font: about 1.5 pixels across, 1.625 down.
    const CRect rect(0, 0, tmpl.cxDialogUnits * 3 / 2, tmpl.cyDialogUnits * 13 / 8);
    if (!CreateEx(tmpl.dwExStyle, L"#32770", L"", tmpl.dwStyle & ~WS_VISIBLE, rect, m_pParentWnd, 0))
        return -1;

    InitDialog();
    if (!m_hWnd)
        return -1;
    INT_PTR result = CWindowSystem::Get().RunModal(this);
    DestroyWindow();
    return result;
}

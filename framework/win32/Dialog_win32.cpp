#include "framework/Dialog.h"

#include "framework/win32/Win32WindowBackend.h"

INT_PTR CDialog::DoModal()
{
    if (m_hWnd || !CWindowSystem::Get().Init())
        return -1;
    CWin32WindowBackend& ws = CWin32WindowBackend::Get();
    HINSTANCE hInstance = ws.Instance();
    HRSRC hResource = FindResourceW(hInstance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
    HGLOBAL hLoaded = hResource ? LoadResource(hInstance, hResource) : nullptr;
    auto* pTemplate = hLoaded ? static_cast<LPCDLGTEMPLATEW>(LockResource(hLoaded)) : nullptr;
    if (!pTemplate)
        return -1;

    // The owner takes no input while the dialog runs. It is disabled first, so
    // that the dialog is the window activated when it shows.
    HWND hOwner = m_pParentWnd && m_pParentWnd->m_hWnd ? GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    const bool bEnableOwner = hOwner && IsWindowEnabled(hOwner);
    if (bEnableOwner)
        EnableWindow(hOwner, FALSE);

    INT_PTR nResult = -1;
    HWND hWnd = ws.CreateAttached(this, L"#32770", [&] {
        return CreateDialogIndirectParamW(hInstance, pTemplate, hOwner, FrameworkDialogProc(), 0);
    });
    if (hWnd && m_hWnd == hWnd)
        nResult = CWindowSystem::Get().RunModal(this);

    if (bEnableOwner)
        EnableWindow(hOwner, TRUE);
    if (m_hWnd) {
        // Hidden before it goes, so the owner, not some other program, is activated.
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hOwner && GetActiveWindow() == m_hWnd)
            SetActiveWindow(hOwner);
        DestroyWindow();
    }
    return nResult;
}

#include "app/Zelqa_DownloaderApp.h"

#include "wizard/Zelqa_DownloaderDlg.h"

CZelqa_DownloaderApp theApp;

BOOL CZelqa_DownloaderApp::InitInstance()
{
    CWinApp::InitInstance();
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    CZelqa_DownloaderDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // FALSE: the process ends instead of entering a message loop of its own.
    return FALSE;
}

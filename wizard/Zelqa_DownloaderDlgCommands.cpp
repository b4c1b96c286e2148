// What the installer window does when its controls are clicked, and the keys
// it ignores.
#include <functional>
#include <memory>

#include "wizard/VendorHost.h"
#include "controls/MessageBoxEx.h"
#include "os/OsServices.h"
#include "wizard/Zelqa_DownloaderDlg.h"

std::wstring LocationForChosenFolder(const std::wstring& folder)
{
    return folder + L"\\Zelqa";
}

BOOL CZelqa_DownloaderDlg::OnCommand(UINT nID, UINT)
{
    switch (nID) {
    case IDC_CLOSE:
        OnClose();
        return TRUE;
    case IDC_INSTALL:
        OnInstall();
        return TRUE;
    case IDC_AGREE:
        OnAgreeToggled();
        return TRUE;
    case IDC_LICENCE:
        OnLicence();
        return TRUE;
    case IDC_CHANGE_FOLDER:
        OnChangeFolder();
        return TRUE;
    case IDC_OFFICIAL_SITE:
        OnOfficialSite();
        return TRUE;
    case IDC_RUN:
        OnRun();
        return TRUE;
    case IDC_RETRY:
        OnRetry();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CZelqa_DownloaderDlg::PreTranslateMessage(MSG* pMsg)
{
    // Escape must not close the window, Enter must not press a button and
    // Space must not press one or reach the path box.
    if (pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN || pMsg->wParam == VK_SPACE))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

int CZelqa_DownloaderDlg::AskUser(const std::wstring& text, int nType)
{
    auto box = std::make_unique<CMessageBoxEx>(text, nType, this);
    box->DoModal();
    return box->m_nResult;
}

void CZelqa_DownloaderDlg::OnClose()
{
    if (m_bInstallEnded != 0) {
        SendCloseMessage();
        return;
    }
    if (AskUser(L"您确定中止安装吗？", 1) != 1)
        return;
    g_bAbortDownload = 1;
    SendCloseMessage();
}

void CZelqa_DownloaderDlg::OnInstall()
{
    m_engine.OnInstall(false);
}

void CZelqa_DownloaderDlg::OnAgreeToggled()
{
    m_chkAgree.m_bChecked = m_chkAgree.m_bChecked == 0 ? 1 : 0;
    m_chkAgree.Invalidate(TRUE);
    m_btnInstall.m_bEnabled = m_chkAgree.m_bChecked;
    m_btnInstall.m_nState = m_chkAgree.m_bChecked ? STATE_NORMAL : STATE_DISABLED;
    m_btnInstall.Invalidate(TRUE);
}

void CZelqa_DownloaderDlg::OpenAside(bool& bPending, std::wstring target, std::function<void(int32_t)> then)
{
    if (bPending)
        return;
    bPending = true;
    // Closing does not wait for the worker: it reaches the window only
    // through the target, which drops the result once the window has gone.
    const CWindowTarget window = GetWindowTarget();
    bool* pPending = &bPending;
    const bool bStarted = OsServices().StartThread([this, window, pPending, target, then] {
        const int32_t nResult = OsServices().ShellOpenAsUser(target);
        window.Post([this, pPending, nResult, then] {
            *pPending = false;
            if (then)
                then(nResult);
        });
    });
    if (!bStarted) {
        bPending = false;
        if (then)
            then(ShellOpenResult::OutOfResources);
    }
}

void CZelqa_DownloaderDlg::OnLicence()
{
    // A page that cannot be opened changes nothing the user could see.
    OpenAside(m_bOpeningLicence, VendorUrl(L"/cn/license-agreement.html"), nullptr);
}

void CZelqa_DownloaderDlg::OnChangeFolder()
{
    // The picker has no owner and the window stays usable while it is open,
    // so it runs on a thread of its own; one picker at a time.
    if (m_bPickingFolder)
        return;
    m_bPickingFolder = true;
    // The picker may still be open when the window closes: the thread reaches
    // the window only through the target, which drops the answer then.
    const CWindowTarget target = GetWindowTarget();
    const bool bStarted = OsServices().StartThread([this, target] {
        std::wstring folder;
        const bool bChosen = OsServices().BrowseForFolder(L"请选择安装目录", L"", folder);
        target.Post([this, bChosen, folder] {
            m_bPickingFolder = false;
            if (bChosen && !folder.empty())
                m_editPath.SetText(LocationForChosenFolder(folder));
        });
    });
    if (!bStarted)
        m_bPickingFolder = false;
}

void CZelqa_DownloaderDlg::OnOfficialSite()
{
    // The window closes only once the page is open.
    OpenAside(m_bOpeningSite, VendorUrl(L"/cn/home.html"), [this](int32_t nResult) {
        if (nResult > 32)
            SendCloseMessage();
    });
}

void CZelqa_DownloaderDlg::OnRun()
{
    // The window closes whatever the start's result, once it is known.
    OpenAside(m_bStartingProduct, std::wstring(m_szInstallDir) + L"\\brovixStart.exe",
              [this](int32_t) { SendCloseMessage(); });
}

void CZelqa_DownloaderDlg::OnRetry()
{
    ClearFailureState();
    m_engine.OnInstall(true);
}

// The installer window's pages and its background painting.
#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Screen.h"
#include "framework/WindowThread.h"
#include "res/resource.h"
#include "wizard/Zelqa_DownloaderDlg.h"

bool CZelqa_DownloaderDlg::HandOverToWindowThread(void (CZelqa_DownloaderDlg::*pSwitch)())
{
    if (WindowThread::IsCurrent())
        return false;
    // Workers never change pages themselves; the window thread does it, and
    // only while the window exists.
    PostTask([this, pSwitch] { (this->*pSwitch)(); });
    return true;
}

void CZelqa_DownloaderDlg::HideWelcomeControls()
{
    ShowWindows({&m_lblTitle, &m_btnInstall, &m_lblInstallTo, &m_editPath, &m_btnChange, &m_chkAgree, &m_lblAgree,
                 &m_lnkLicence},
                SW_HIDE);
    Invalidate(TRUE);
}

void CZelqa_DownloaderDlg::ShowProgressPage()
{
    m_bInstallEnded = 0;
    if (HandOverToWindowThread(&CZelqa_DownloaderDlg::ShowProgressPage))
        return;
    SetBackground(IDB_BACKGROUND_PROGRESS);
    HideWelcomeControls();
    ShowWindows({&m_lblSmallTitle, &m_lblFeature1, &m_lblFeature2, &m_lblFeature3, &m_lblStatus, &m_progress}, SW_SHOW);
    Invalidate(TRUE);
}

void CZelqa_DownloaderDlg::ShowFailureState()
{
    m_bInstallEnded = 1;
    if (HandOverToWindowThread(&CZelqa_DownloaderDlg::ShowFailureState))
        return;
    m_lblStatus.ShowWindow(SW_HIDE);
    ShowWindows({&m_lblFailed, &m_lnkOfficial, &m_lnkRetry}, SW_SHOW);
    Invalidate(TRUE);
}

void CZelqa_DownloaderDlg::ShowFinishPage()
{
    m_bInstallEnded = 1;
    if (HandOverToWindowThread(&CZelqa_DownloaderDlg::ShowFinishPage))
        return;
    SetBackground(IDB_BACKGROUND_FINISH);
    ShowWindows({&m_lblSmallTitle, &m_lblFeature1, &m_lblFeature2, &m_lblFeature3, &m_lblStatus, &m_progress}, SW_HIDE);
    Invalidate(TRUE);
    ShowWindows({&m_btnRun, &m_lblDone, &m_lblSlogan, &m_lblSmallTitle}, SW_SHOW);
    Invalidate(TRUE);
    // Back in front of the full installer's window when monitoring ends.
    SetForegroundWindow();
}

void CZelqa_DownloaderDlg::ClearFailureState()
{
    if (HandOverToWindowThread(&CZelqa_DownloaderDlg::ClearFailureState))
        return;
    ShowWindows({&m_lblFailed, &m_lnkOfficial, &m_lnkRetry}, SW_HIDE);
    m_progress.m_nPos = 0;
    m_progress.Invalidate(TRUE);
}

BOOL CZelqa_DownloaderDlg::OnEraseBkgnd(CDC*)
{
    // The paint covers the whole client area.
    return TRUE;
}

void CZelqa_DownloaderDlg::OnPaint()
{
    // Copied through the paint context, so only the part being repainted is
    // covered: the controls elsewhere keep their pixels.
    CPaintDC dc(this);
    CRect rc;
    if (IsIconic()) {
        // Minimised: only the icon, centred.
        GetClientRect(&rc);
        dc.FillSolidRect(rc, RGB(240, 240, 240));
        const CSize icon = GetIconSize();
        dc.DrawIcon((rc.Width() - icon.cx + 1) / 2, (rc.Height() - icon.cy + 1) / 2, m_hIcon);
        return;
    }
    GetClientRect(&rc);
    // Drawn off screen once per page and copied in one step, so the page never flickers.
    DrawPageBackground(&dc, rc);
}

void CZelqa_DownloaderDlg::DrawPageBackground(CDC* pDC, const CRect& rcPage)
{
    if (!m_pBackground || IsIconic())
        return;
    CRect rc;
    GetClientRect(&rc);
    const int cxImage = static_cast<int>(m_pBackground->GetWidth());
    const int cyImage = static_cast<int>(m_pBackground->GetHeight());
    // At its own size the picture is the page: copied from directly, without
    // a second copy of it to keep.
    if (rc.Width() == cxImage && rc.Height() == cyImage) {
        const CRect rcSource = CRect::Intersect(rcPage, rc);
        if (!rcSource.IsRectEmpty()) {
            CGraphics graphics(pDC);
            graphics.DrawImage(m_pBackground.get(),
                               CRect(rcSource.left - rcPage.left, rcSource.top - rcPage.top,
                                     rcSource.right - rcPage.left, rcSource.bottom - rcPage.top),
                               rcSource.left, rcSource.top, rcSource.Width(), rcSource.Height());
        }
        return;
    }
    m_page.CopyTo(pDC, rcPage, CSize(rc.Width(), rc.Height()), [&](CDC& dc) {
        CGraphics graphics(&dc);
        graphics.DrawImage(m_pBackground.get(), rc, 0, 0, static_cast<int>(m_pBackground->GetWidth()),
                           static_cast<int>(m_pBackground->GetHeight()));
    });
}

#include "wizard/Zelqa_DownloaderDlg.h"

#include <cwchar>

#include "common/DpiScaler.h"
#include "controls/PngResource.h"
#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Imaging.h"
#include "framework/WinApp.h"
#include "os/OsServices.h"
#include "res/resource.h"

CZelqa_DownloaderDlg* g_pDownloaderDlg = nullptr;
std::atomic<int> g_bAbortDownload{0};

std::wstring DefaultInstallDir(const std::wstring& desktopPath)
{
    std::wstring drive = desktopPath.substr(0, 1);
    wchar_t buffer[260];
    std::swprintf(buffer, 260, L"%ls%ls", drive.c_str(), L":\\Program Files (x86)\\brovix\\Zelqa");
    return buffer;
}

CZelqa_DownloaderDlg::CZelqa_DownloaderDlg() : CDialog(IDD_ZELQA_DOWNLOADER_DIALOG, nullptr)
{
    g_pDownloaderDlg = this;
    m_hIcon = LoadAppIcon(IDR_MAINFRAME);
    m_gdiplusToken = ImagingStartup();

    std::wstring desktop;
    if (!OsServices().GetDesktopFolder(desktop))
        desktop.clear();
    std::wstring installDir = DefaultInstallDir(desktop);
    std::wcsncpy(m_szInstallDir, installDir.c_str(), 259);
    m_szInstallDir[259] = L'\0';
}

CZelqa_DownloaderDlg::~CZelqa_DownloaderDlg()
{
    m_pBackground.reset();
    if (m_gdiplusToken != 0)
        ImagingShutdown(m_gdiplusToken);
}

void CZelqa_DownloaderDlg::SetBackground(UINT imageId)
{
    std::unique_ptr<CImage> image;
    if (!LoadPngResource(imageId, image) || !image)
        return;
    const int cx = DpiScaler().ScaleX(static_cast<int32_t>(image->GetWidth()));
    const int cy = DpiScaler().ScaleY(static_cast<int32_t>(image->GetHeight()));
    m_pBackground = std::move(image);
    SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE);
}

BOOL CZelqa_DownloaderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetBackground(IDB_BACKGROUND_WELCOME);
    Invalidate(TRUE);
    return TRUE;
}

BOOL CZelqa_DownloaderDlg::OnEraseBkgnd(CDC*)
{
    // The paint covers the whole client area.
    return TRUE;
}

void CZelqa_DownloaderDlg::OnPaint()
{
    CPaintDC paintDc(this);
    if (!m_pBackground)
        return;
    CClientDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    // Composed off screen and copied in one step, so the page never flickers.
    CDC memDc;
    memDc.CreateCompatibleDC(&dc);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&dc, rc.Width(), rc.Height()))
        return;
    CSelectGuard<HBITMAP> select(memDc, bitmap.GetSafeHandle());
    CGraphics graphics(&memDc);
    graphics.DrawImage(m_pBackground.get(), rc, 0, 0, static_cast<int>(m_pBackground->GetWidth()),
                       static_cast<int>(m_pBackground->GetHeight()));
    dc.BitBlt(0, 0, rc.Width(), rc.Height(), &memDc, 0, 0, SRCCOPY);
}

// Construction, start-up state and layout of the installer window.
#include "wizard/Zelqa_DownloaderDlg.h"

#include <cwchar>

#include "common/DpiScaler.h"
#include "wizard/VendorHost.h"
#include "controls/PngResource.h"
#include "framework/Imaging.h"
#include "framework/WinApp.h"
#include "framework/WindowSystem.h"
#include "os/OsServices.h"
#include "res/resource.h"

CZelqa_DownloaderDlg* g_pDownloaderDlg = nullptr;

namespace
{
// Styles by window class: the buttons, check box and progress bar are
// BUTTONs, the labels, links and the path box STATICs.
constexpr DWORD STYLE_BUTTON = WS_CHILD | WS_VISIBLE | BS_RIGHT;
constexpr DWORD STYLE_CHECK = WS_CHILD | WS_VISIBLE | BS_RIGHT | BS_CHECKBOX;
constexpr DWORD STYLE_LABEL = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD STYLE_LABEL_CENTRED = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE;
constexpr DWORD STYLE_LABEL_GROUP_CENTRED = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTERIMAGE;
constexpr DWORD STYLE_LINK = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY;
constexpr DWORD STYLE_EDIT = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;

constexpr COLORREF TEXT_DARK = RGB(60, 60, 60);
constexpr COLORREF TEXT_GREY = RGB(102, 102, 102);
constexpr COLORREF LINK_HOVER = RGB(47, 152, 255);
} // namespace

std::wstring DefaultInstallDir(const std::wstring& desktopPath)
{
    return desktopPath.substr(0, 1) + L":\\Program Files (x86)\\brovix\\Zelqa";
}

CZelqa_DownloaderDlg::CZelqa_DownloaderDlg()
    : CDialog(IDD_ZELQA_DOWNLOADER_DIALOG, nullptr),
      m_engine(OsServices(), this, VendorUrl(L"/down/down?path=ZELQACONVERT_Download.exe"), VendorPublisher())
{
    g_pDownloaderDlg = this;
    m_hIcon = LoadAppIcon(IDR_MAINFRAME);
    m_gdiplusToken = ImagingStartup();

    std::wstring desktop;
    if (!OsServices().GetDesktopFolder(desktop))
        desktop.clear();
    const std::wstring installDir = DefaultInstallDir(desktop);
    std::wcsncpy(m_szInstallDir, installDir.c_str(), 259);
    m_szInstallDir[259] = L'\0';
}

CZelqa_DownloaderDlg::~CZelqa_DownloaderDlg()
{
    m_engine.Detach();
    if (g_pDownloaderDlg == this)
        g_pDownloaderDlg = nullptr;
    m_pBackground.reset();
    if (m_gdiplusToken != 0)
        ImagingShutdown(m_gdiplusToken);
}

void CZelqa_DownloaderDlg::SetBackground(UINT imageId)
{
    std::unique_ptr<CImage> image;
    if (!LoadPngResource(imageId, image) || !image)
        return;
    const int cx = ScaledX(static_cast<int>(image->GetWidth()));
    const int cy = ScaledY(static_cast<int>(image->GetHeight()));
    m_pBackground = std::move(image);
    m_page.Reset();
    SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE);
}

template <typename TextControl>
void CZelqa_DownloaderDlg::PlaceTextSized(TextControl& control, int x, int y)
{
    const CSize size = control.CalcTextSize();
    control.MoveWindow(x, y, size.cx, size.cy);
}

int CZelqa_DownloaderDlg::RightOf(CWnd& left, int gap)
{
    CRect rc;
    left.GetWindowRect(&rc);
    ScreenToClient(&rc);
    return rc.right + ScaledX(gap);
}

void CZelqa_DownloaderDlg::ShowWindows(std::initializer_list<CWnd*> windows, int nCmdShow)
{
    for (CWnd* pWnd : windows)
        pWnd->ShowWindow(nCmdShow);
}

BOOL CZelqa_DownloaderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetBackground(IDB_BACKGROUND_WELCOME);
    CreateControls();
    // What the download needs is loaded once the page is up and idle, while
    // the user reads it, so that 安装 starts the transfer at once.
    CWindowSystem::Get().PostWhenIdle([] { OsServices().PrepareDownload(); });
    return TRUE;
}

void CZelqa_DownloaderDlg::CreateControls()
{
    auto setLinkColours = [](CTextButtonEx& link, COLORREF crNormal) {
        link.m_crText[0] = crNormal;
        link.m_crText[1] = LINK_HOVER;
        link.m_crText[2] = LINK_HOVER;
        link.m_crText[3] = TEXT_GREY;
    };
    auto makeLabel = [this](CStaticEx& label, const wchar_t* pszText, DWORD dwStyle, UINT nID, int nHeight,
                            int nFontHeight, COLORREF crText, int x, int y) {
        label.Create(pszText, dwStyle, CRect(0, 0, ScaledX(600), ScaledX(nHeight)), this, nID);
        label.m_crText = crText;
        label.SetFontHeight(ScaledX(nFontHeight));
        PlaceTextSized(label, ScaledX(x), ScaledY(y));
    };

    // 1. Close button, on every page.
    m_btnClose.Create(L"", STYLE_BUTTON, CRect(ScaledX(566), ScaledY(20), ScaledX(566), ScaledY(20)), this, IDC_CLOSE);
    m_btnClose.SetImage(IDB_CLOSE);
    CRect rcClose;
    m_btnClose.GetClientRect(&rcClose);
    m_btnClose.MoveWindow(ScaledX(566), ScaledY(20), rcClose.Width(), rcClose.Height());

    // 2. Title, centred on the designed width rather than the measured one.
    m_lblTitle.Create(L"Zelqa图片转换器", STYLE_LABEL, CRect(0, 0, ScaledX(600), ScaledX(25)), this, IDC_LABEL_TITLE);
    m_lblTitle.m_crText = TEXT_DARK;
    m_lblTitle.SetFontHeight(ScaledX(22));
    const CSize sizeTitle = m_lblTitle.CalcTextSize();
    m_lblTitle.MoveWindow((ScaledX(600) - sizeTitle.cx) / 2, ScaledY(137), sizeTitle.cx, sizeTitle.cy);

    // 3. Install.
    m_btnInstall.Create(L"安装", STYLE_BUTTON, CRect(ScaledX(220), ScaledY(210), ScaledX(220), ScaledY(210)), this,
                        IDC_INSTALL);
    m_btnInstall.SetImage(IDB_PILL_BUTTON);
    for (COLORREF& cr : m_btnInstall.m_crText)
        cr = RGB(255, 255, 255);

    // 4. Agreement check box, checked at start.
    m_chkAgree.Create(L"", STYLE_CHECK, CRect(ScaledX(20), ScaledY(280), ScaledX(20), ScaledY(280)), this, IDC_AGREE);
    m_chkAgree.SetImage();
    m_chkAgree.SetCheck(1);

    // 5, 6. Agreement text and the licence link S(3) after it.
    makeLabel(m_lblAgree, L"已阅读并同意", STYLE_LABEL, IDC_LABEL_AGREE, 17, 17, TEXT_GREY, 44, 279);
    m_lnkLicence.Create(L"许可协议", STYLE_LINK, CRect(0, 0, ScaledX(600), ScaledX(17)), this, IDC_LICENCE);
    setLinkColours(m_lnkLicence, RGB(147, 202, 255));
    m_lnkLicence.SetFontHeight(ScaledX(17));
    PlaceTextSized(m_lnkLicence, RightOf(m_lblAgree, 3), ScaledY(279));

    // 7, 8, 9. Install location: prompt, path box, change button.
    makeLabel(m_lblInstallTo, L"安装到：", STYLE_LABEL, IDC_LABEL_INSTALL_TO, 20, 20, TEXT_DARK, 20, 345);
    m_editPath.Create(L"", STYLE_EDIT, CRect(0, 0, 0, 0), this, IDC_PATH_EDIT);
    m_editPath.MoveWindow(ScaledX(76), ScaledY(338), ScaledX(414), ScaledY(32));
    m_editPath.SetWhiteBackground();
    m_editPath.m_edit.m_crText = RGB(101, 101, 101);
    m_editPath.SetText(m_szInstallDir);
    m_editPath.MoveWindow(RightOf(m_lblInstallTo, 5), ScaledY(338), ScaledX(414), ScaledY(32));

    m_btnChange.Create(L"更改", STYLE_BUTTON, CRect(ScaledX(496), ScaledY(338), ScaledX(496), ScaledY(338)), this,
                       IDC_CHANGE_FOLDER);
    m_btnChange.SetImage(IDB_CHANGE_BUTTON);
    CRect rcChange;
    m_btnChange.GetClientRect(&rcChange);
    m_btnChange.MoveWindow(RightOf(m_editPath, 5), ScaledY(338), rcChange.Width(), rcChange.Height());
    m_btnChange.m_nFontHeight = ScaledX(20);
    for (COLORREF& cr : m_btnChange.m_crText)
        cr = RGB(68, 68, 68);

    // 10. Progress bar.
    m_progress.Create(L"", STYLE_BUTTON, CRect(0, 0, 100, 38), this, IDC_PROGRESS);
    m_progress.LoadImages();
    m_progress.MoveWindow(ScaledX(40), ScaledY(364), ScaledX(520), ScaledY(10));
    m_progress.m_nPos = 0;
    m_progress.Invalidate(TRUE);

    // 11 to 16. Progress page texts.
    makeLabel(m_lblSmallTitle, L"Zelqa图片转换器", STYLE_LABEL, IDC_LABEL_SMALL_TITLE, 20, 20, TEXT_DARK, 54, 20);
    makeLabel(m_lblFeature1, L"一键快速转换", STYLE_LABEL, IDC_LABEL_FEATURE1, 20, 20, TEXT_DARK, 257, 112);
    makeLabel(m_lblFeature2, L"支持批量转换", STYLE_LABEL, IDC_LABEL_FEATURE2, 20, 20, TEXT_DARK, 257, 146);
    makeLabel(m_lblFeature3, L"生成无损原图画质", STYLE_LABEL_CENTRED, IDC_LABEL_FEATURE3, 20, 20, TEXT_DARK, 257, 180);
    makeLabel(m_lblStatus, L"正在安装中，请稍等...", STYLE_LABEL_GROUP_CENTRED, IDC_LABEL_STATUS, 20, 20, TEXT_DARK, 40,
              334);
    makeLabel(m_lblFailed, L"安装失败，", STYLE_LABEL, IDC_LABEL_FAILED, 20, 20, RGB(255, 0, 0), 40, 334);
    m_lblFailed.ShowWindow(SW_HIDE);

    // 17, 18. The failure line's links, each S(2) after the one before.
    m_lnkRetry.Create(L"重试？", STYLE_LINK, CRect(0, 0, ScaledX(600), ScaledX(20)), this, IDC_RETRY);
    setLinkColours(m_lnkRetry, RGB(0, 149, 255));
    m_lnkRetry.SetFontHeight(ScaledX(20));
    PlaceTextSized(m_lnkRetry, RightOf(m_lblFailed, 2), ScaledY(334));
    m_lnkRetry.ShowWindow(SW_HIDE);
    m_lnkOfficial.Create(L"官网下载？", STYLE_LINK, CRect(0, 0, ScaledX(600), ScaledX(20)), this, IDC_OFFICIAL_SITE);
    setLinkColours(m_lnkOfficial, RGB(0, 149, 255));
    m_lnkOfficial.SetFontHeight(ScaledX(20));
    PlaceTextSized(m_lnkOfficial, RightOf(m_lnkRetry, 2), ScaledY(334));
    m_lnkOfficial.ShowWindow(SW_HIDE);

    ShowWindows({&m_lblSmallTitle, &m_lblFeature1, &m_lblFeature2, &m_lblFeature3, &m_lblStatus, &m_progress}, SW_HIDE);
    Invalidate(TRUE);

    // 19 to 21. Finish page.
    makeLabel(m_lblDone, L"安装完成", STYLE_LABEL, IDC_LABEL_DONE, 40, 40, RGB(68, 68, 68), 256, 105);
    makeLabel(m_lblSlogan, L"简单易用、轻松上手、一键转换", STYLE_LABEL, IDC_LABEL_SLOGAN, 20, 20, TEXT_GREY, 256, 145);
    m_btnRun.Create(L"运行", STYLE_BUTTON, CRect(ScaledX(220), ScaledY(334), ScaledX(220), ScaledY(334)), this,
                    IDC_RUN);
    m_btnRun.SetImage(IDB_PILL_BUTTON);
    for (COLORREF& cr : m_btnRun.m_crText)
        cr = RGB(255, 255, 255);

    ShowWindows({&m_btnRun, &m_lblDone, &m_lblSlogan, &m_lblSmallTitle}, SW_HIDE);
    Invalidate(TRUE);
}

void CZelqa_DownloaderDlg::OnDestroy()
{
    // From here on no worker thread reaches this window. A download may take a
    // moment to clean up; the window is gone from the screen meanwhile.
    ShowWindow(SW_HIDE);
    UpdateWindow();
    m_engine.Detach();
    CDialog::OnDestroy();
}

std::wstring CZelqa_DownloaderDlg::GetLocationText()
{
    return m_editPath.m_edit.GetWindowText();
}

void CZelqa_DownloaderDlg::ShowNotice(const std::wstring& text)
{
    AskUser(text, 0);
}

void CZelqa_DownloaderDlg::SetInstallDir(const std::wstring& dir)
{
    std::wcsncpy(m_szInstallDir, dir.c_str(), 259);
    m_szInstallDir[259] = L'\0';
}

void CZelqa_DownloaderDlg::SetProgressPos(int64_t nPos)
{
    m_progress.m_nPos = nPos;
    m_progress.Invalidate(TRUE);
}

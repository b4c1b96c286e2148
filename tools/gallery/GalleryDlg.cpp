#include "GalleryDlg.h"

#include <cstdio>
#include <string>

#include "common/DpiScaler.h"
#include "controls/PngResource.h"
#include "framework/DC.h"
#include "framework/Graphics.h"
#include "res/resource.h"

namespace
{
int S(int v)
{
    return DpiScaler().ScaleX(v);
}
int SY(int v)
{
    return DpiScaler().ScaleY(v);
}

enum : UINT
{
    ID_CLOSE = 10001,
    ID_INSTALL = 10002,
    ID_AGREE = 10003,
    ID_LICENCE = 10004,
    ID_CHANGE = 10005,
    ID_RETRY = 10008,
};
} // namespace

CGalleryDlg::CGalleryDlg() : CDialog(IDD_ZELQA_DOWNLOADER_DIALOG)
{
}

void CGalleryDlg::PlaceText(CStaticEx& label, int x, int y)
{
    const CSize size = label.CalcTextSize();
    label.MoveWindow(S(x), SY(y), size.cx, size.cy);
}

void CGalleryDlg::PlaceLink(CTextButtonEx& link, int x, int y, int nFontHeight)
{
    link.SetFontHeight(S(nFontHeight));
    const CSize size = link.CalcTextSize();
    link.MoveWindow(S(x), SY(y), size.cx, size.cy);
}

BOOL CGalleryDlg::OnInitDialog()
{
    LoadPngResource(IDB_BACKGROUND_WELCOME, m_pBackground);
    SetWindowPos(nullptr, 0, 0, S(600), SY(400), SWP_NOMOVE);

    m_btnClose.Create(L"", 0x50000200, CRect(S(566), SY(20), S(580), SY(34)), this, ID_CLOSE);
    m_btnClose.SetImage(IDB_CLOSE);

    m_lblTitle.Create(L"控件一览", 0x50020000, CRect(0, 0, S(600), S(25)), this, 10021);
    m_lblTitle.SetFontHeight(S(22));
    PlaceText(m_lblTitle, 20, 137);

    m_btnInstall.Create(L"安装", 0x50000200, CRect(S(220), SY(210), S(230), SY(220)), this, ID_INSTALL);
    m_btnInstall.SetImage(IDB_PILL_BUTTON);

    m_chkAgree.Create(L"", 0x50000202, CRect(S(20), SY(280), S(30), SY(290)), this, ID_AGREE);
    m_chkAgree.SetImage();

    m_lblAgree.Create(L"已阅读并同意", 0x50020000, CRect(0, 0, 10, S(17)), this, 10022);
    m_lblAgree.m_crText = RGB(102, 102, 102);
    m_lblAgree.SetFontHeight(S(17));
    PlaceText(m_lblAgree, 44, 279);

    m_lnkLicence.Create(L"许可协议", 0x50020100, CRect(0, 0, 10, S(17)), this, ID_LICENCE);
    m_lnkLicence.m_crText[0] = RGB(147, 202, 255);
    m_lnkLicence.m_crText[1] = m_lnkLicence.m_crText[2] = RGB(47, 152, 255);
    m_lnkLicence.m_crText[3] = RGB(102, 102, 102);
    CRect rcAgree;
    m_lblAgree.GetWindowRect(&rcAgree);
    ScreenToClient(&rcAgree);
    m_lnkLicence.SetFontHeight(S(17));
    const CSize sizeLicence = m_lnkLicence.CalcTextSize();
    m_lnkLicence.MoveWindow(rcAgree.right + S(3), SY(279), sizeLicence.cx, sizeLicence.cy);

    m_lnkRetry.Create(L"重试？", 0x50020100, CRect(0, 0, 10, S(20)), this, ID_RETRY);
    m_lnkRetry.m_crText[0] = RGB(0, 149, 255);
    m_lnkRetry.m_crText[1] = m_lnkRetry.m_crText[2] = RGB(47, 152, 255);
    m_lnkRetry.m_crText[3] = RGB(102, 102, 102);
    PlaceLink(m_lnkRetry, 200, 279, 20);

    m_editPath.Create(L"", 0x50000080, CRect(0, 0, 0, 0), this, 10041);
    m_editPath.MoveWindow(S(76), SY(318), S(414), SY(32));
    m_editPath.SetWhiteBackground();
    m_editPath.m_edit.m_crText = RGB(101, 101, 101);
    m_editPath.SetText(L"D:\\Apps\\Zelqa");

    m_btnChange.Create(L"更改", 0x50000200, CRect(S(496), SY(318), S(506), SY(328)), this, ID_CHANGE);
    m_btnChange.SetImage(IDB_CHANGE_BUTTON);
    m_btnChange.m_nFontHeight = S(20);
    for (COLORREF& cr : m_btnChange.m_crText)
        cr = RGB(68, 68, 68);

    m_progress.Create(L"", 0x50000200, CRect(0, 0, 100, 38), this, 10042);
    m_progress.LoadImages();
    m_progress.MoveWindow(S(40), SY(364), S(520), SY(10));

    m_lblLast.Create(L"", 0x50020000, CRect(0, 0, 10, S(20)), this, 10029);
    m_lblLast.SetFontHeight(S(20));
    PlaceText(m_lblLast, 400, 280);
    return TRUE;
}

BOOL CGalleryDlg::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CGalleryDlg::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawPageBackground(&dc, rc);
}

void CGalleryDlg::DrawPageBackground(CDC* pDC, const CRect& rcPage)
{
    if (!m_pBackground)
        return;
    CRect rc;
    GetClientRect(&rc);
    m_page.CopyTo(pDC, rcPage, CSize(rc.Width(), rc.Height()), [&](CDC& dc) {
        CGraphics graphics(&dc);
        graphics.DrawImage(m_pBackground.get(), rc, 0, 0, 600, 400);
    });
}

void CGalleryDlg::ShowLastCommand(UINT nID)
{
    // Stdout carries the command too, so a script driving the gallery can check it.
    std::printf("command %u\n", nID);
    std::fflush(stdout);
    m_lblLast.SetWindowText((L"命令 " + std::to_wstring(nID)).c_str());
    PlaceText(m_lblLast, 400, 280);
    Invalidate(TRUE);
}

BOOL CGalleryDlg::OnCommand(UINT nID, UINT)
{
    ShowLastCommand(nID);
    switch (nID) {
    case ID_CLOSE:
        EndDialog(IDCANCEL);
        break;
    case ID_AGREE:
        m_chkAgree.m_bChecked = m_chkAgree.m_bChecked ? 0 : 1;
        m_chkAgree.Invalidate(TRUE);
        m_btnInstall.m_bEnabled = m_chkAgree.m_bChecked;
        m_btnInstall.m_nState = m_chkAgree.m_bChecked ? STATE_NORMAL : STATE_DISABLED;
        m_btnInstall.Invalidate(TRUE);
        break;
    case ID_CHANGE:
        m_progress.m_nPos = (m_progress.m_nPos + 15) % 115;
        m_progress.Invalidate(TRUE);
        break;
    default:
        break;
    }
    return TRUE;
}

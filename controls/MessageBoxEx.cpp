#include "controls/MessageBoxEx.h"

#include "common/DpiScaler.h"
#include "framework/DC.h"
#include "res/resource.h"

namespace
{
constexpr COLORREF BAND = RGB(243, 246, 253);
constexpr COLORREF TEXT = RGB(60, 60, 60);
} // namespace

CMessageBoxEx::CMessageBoxEx(const std::wstring& strText, int nType, CWnd* pOwner)
    : CDialog(IDD_MESSAGEBOX, pOwner), m_rcDrag(0, 0, ScaledX(470), ScaledY(44)), m_strText(strText), m_nType(nType)
{
}

int CMessageBoxEx::MessageLeft(int nTextWidth)
{
    return (ScaledX(330) - nTextWidth) / 2 + ScaledX(35);
}

BOOL CMessageBoxEx::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowPos(nullptr, 0, 0, ScaledX(400), ScaledY(200), SWP_NOMOVE);
    ModifyStyle(0, 0x200);

    m_stTitle.Create(L"提示", WS_CHILD | WS_VISIBLE | WS_GROUP, CRect(0, 0, ScaledX(400), ScaledX(25)), this,
                     IDC_MSGBOX_LABEL);
    m_stTitle.m_crText = TEXT;
    m_stTitle.SetFontHeight(ScaledX(22));
    CSize size = m_stTitle.CalcTextSize();
    m_stTitle.MoveWindow(ScaledX(20), ScaledY(12), size.cx, size.cy);

    m_btnClose.Create(L"", WS_CHILD | WS_VISIBLE | BS_RIGHT,
                      CRect(ScaledX(366), ScaledY(20), ScaledX(366), ScaledY(20)), this, IDC_MSGBOX_CLOSE);
    m_btnClose.SetImage(IDB_MSGBOX_CLOSE);
    CRect rcClose;
    m_btnClose.GetClientRect(&rcClose);
    m_btnClose.MoveWindow(ScaledX(366), ScaledY(20), rcClose.Width(), rcClose.Height());

    m_stText.Create(m_strText.c_str(), WS_CHILD | WS_VISIBLE | WS_GROUP, CRect(0, 0, ScaledX(600), ScaledX(20)), this,
                    IDC_MSGBOX_LABEL);
    m_stText.m_crText = TEXT;
    m_stText.SetFontHeight(ScaledX(22));
    size = m_stText.CalcTextSize();
    m_stText.MoveWindow(MessageLeft(size.cx), ScaledY(80), size.cx, size.cy);

    auto makeButton = [this](CImageTextButtonEx& button, const wchar_t* pszCaption, UINT nID, int x, UINT nStrip,
                             COLORREF crCaption) {
        button.Create(pszCaption, WS_CHILD | WS_VISIBLE | BS_RIGHT,
                      CRect(ScaledX(x), ScaledY(150), ScaledX(x), ScaledY(150)), this, nID);
        button.SetImage(nStrip);
        // The caption height is a fixed pixel size, as the box's art asks.
        button.m_nFontHeight = 22;
        for (COLORREF& cr : button.m_crText)
            cr = crCaption;
    };
    if (m_nType != 0) {
        makeButton(m_btnOk, L"是", IDC_MSGBOX_YES, 168, IDB_MSGBOX_OUTLINE, TEXT);
        makeButton(m_btnNo, L"否", IDC_MSGBOX_NO, 284, IDB_MSGBOX_FILLED, RGB(255, 255, 255));
    } else {
        makeButton(m_btnOk, L"好的", IDC_MSGBOX_NO, 284, IDB_MSGBOX_FILLED, RGB(255, 255, 255));
    }
    return TRUE;
}

void CMessageBoxEx::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    // Without memory for the page image it is drawn straight.
    if (!m_page.CopyTo(&dc, rc, CSize(rc.Width(), rc.Height()), [this](CDC& page) { DrawPage(page); }))
        DrawPage(dc);
}

void CMessageBoxEx::DrawPageBackground(CDC* pDC, const CRect& rcPage)
{
    CRect rc;
    GetClientRect(&rc);
    m_page.CopyTo(pDC, rcPage, CSize(rc.Width(), rc.Height()), [this](CDC& page) { DrawPage(page); });
}

void CMessageBoxEx::DrawPage(CDC& dc)
{
    CRect rc;
    GetClientRect(&rc);
    CPen pen(PS_SOLID, 1, BAND);
    {
        CSelectGuard<HPEN> select(dc, pen.GetSafeHandle());
        dc.Rectangle(rc.left, rc.top, rc.right, rc.bottom);
    }
    dc.FillSolidRect(m_rcDrag, BAND);
}

void CMessageBoxEx::OnLButtonDown(UINT nFlags, CPoint point)
{
    CDialog::OnLButtonDown(nFlags, point);
    if (m_rcDrag.PtInRect(point))
        BeginMoveDrag();
}

BOOL CMessageBoxEx::OnCommand(UINT nID, UINT)
{
    switch (nID) {
    case IDC_MSGBOX_CLOSE:
    case IDC_MSGBOX_NO:
        m_nResult = 0;
        SendCloseMessage();
        return TRUE;
    case IDC_MSGBOX_YES:
        m_nResult = 1;
        SendCloseMessage();
        return TRUE;
    default:
        return FALSE;
    }
}

#pragma once

#include <string>

#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/PageBackground.h"
#include "controls/PageImage.h"
#include "controls/StaticEx.h"
#include "framework/Dialog.h"

// The skinned message box: a notice with "好的" (kind 0) or a question with
// "是" and "否" (any other kind). After the modal run m_nResult is 1 when the
// user chose "是" and 0 for every other way of closing.
class CMessageBoxEx : public CDialog, public IPageBackground
{
public:
    CMessageBoxEx(const std::wstring& strText, int nType, CWnd* pOwner);

    BOOL OnInitDialog() override;
    void OnPaint() override;
    // The paint covers the whole client area.
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void DrawPageBackground(CDC* pDC, const CRect& rcPage) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    BOOL OnCommand(UINT nID, UINT nCode) override;

    // Left edge of a message line w pixels wide: centred over the buttons.
    static int MessageLeft(int nTextWidth);

    CRect m_rcDrag;
    std::wstring m_strText;
    int m_nType;
    int m_nResult = 0;
    CStaticEx m_stTitle;
    CImageButtonEx m_btnClose;
    CStaticEx m_stText;
    CImageTextButtonEx m_btnOk;
    CImageTextButtonEx m_btnNo;

private:
    void DrawPage(CDC& dc);
    CPageImage m_page;
};

// Control ids of the message box.
constexpr UINT IDC_MSGBOX_LABEL = 10100;
constexpr UINT IDC_MSGBOX_CLOSE = 10110;
constexpr UINT IDC_MSGBOX_YES = 10111;
constexpr UINT IDC_MSGBOX_NO = 10112;

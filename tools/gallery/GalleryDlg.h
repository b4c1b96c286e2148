#pragma once

#include <memory>

#include "controls/PageBackground.h"
#include "controls/PageImage.h"
#include "controls/CheckBoxEx.h"
#include "controls/EditEx.h"
#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/ProgressCtrlEx.h"
#include "controls/StaticEx.h"
#include "controls/TextButtonEx.h"
#include "framework/Dialog.h"
#include "framework/Image.h"

// Every skinned control on one window over the welcome skin, live, for trying
// them by hand or driving them with real input.
class CGalleryDlg : public CDialog, public IPageBackground
{
public:
    CGalleryDlg();

protected:
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnPaint() override;
    void DrawPageBackground(CDC* pDC, const CRect& rcPage) override;
    BOOL OnCommand(UINT nID, UINT nCode) override;

private:
    void PlaceText(CStaticEx& label, int x, int y);
    void PlaceLink(CTextButtonEx& link, int x, int y, int nFontHeight);
    void ShowLastCommand(UINT nID);

    std::unique_ptr<CImage> m_pBackground;
    CImageButtonEx m_btnClose;
    CImageTextButtonEx m_btnInstall;
    CImageTextButtonEx m_btnChange;
    CEditEx m_editPath;
    CCheckBoxEx m_chkAgree;
    CStaticEx m_lblAgree;
    CTextButtonEx m_lnkLicence;
    CTextButtonEx m_lnkRetry;
    CStaticEx m_lblTitle;
    CStaticEx m_lblLast;
    CProgressCtrlEx m_progress;
    CPageImage m_page;
};

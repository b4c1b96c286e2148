#pragma once

#include "framework/Wnd.h"

// A push button. By default it captures the mouse on a press, shows itself
// pushed while the pointer stays over it, and on a release over it tells its
// parent BN_CLICKED. With BS_OWNERDRAW every paint becomes a draw request to the
// parent, which hands it back to DrawItem.
class CButton : public CWnd
{
public:
    BOOL Create(const wchar_t* pszCaption, DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, pszCaption, dwStyle, rect, pParentWnd, nID);
    }

    // The button's own check mark, as BM_SETCHECK and BM_GETCHECK keep it.
    void SetCheck(int nCheck) { m_nCheck = nCheck; }
    int GetCheck() const { return m_nCheck; }
    bool IsPushed() const { return m_bPushed; }

    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void DefaultPaint(CDC* pDC) override;

private:
    void SetPushed(bool bPushed);

    bool m_bPushed = false;
    bool m_bTracking = false;   // pressed here and holding the capture
    int m_nCheck = 0;
};

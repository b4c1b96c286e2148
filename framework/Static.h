#pragma once

#include "framework/Wnd.h"

// A static text. Without SS_NOTIFY it lets the mouse through to whatever lies
// beneath it; with SS_NOTIFY a press tells its parent STN_CLICKED.
class CStatic : public CWnd
{
public:
    BOOL Create(const wchar_t* pszText, DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, pszText, dwStyle, rect, pParentWnd, nID);
    }

    bool IsMouseTransparent() const override { return (GetStyle() & SS_NOTIFY) == 0; }
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void DefaultPaint(CDC* pDC) override;
};

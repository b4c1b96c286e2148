#pragma once

#include "framework/Wnd.h"

// A push button of the platform's BUTTON class: it captures the mouse on a
// press, shows itself pushed while the pointer stays over it, and on a release
// over it tells its parent BN_CLICKED. With BS_OWNERDRAW every paint becomes a
// draw request to the parent, which hands it back to DrawItem.
class CButton : public CWnd
{
public:
    BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
    }

    // The button's own check state (BST_UNCHECKED, BST_CHECKED).
    void SetCheck(int nCheck);
    int GetCheck() const;
};

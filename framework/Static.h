#pragma once

#include "framework/Wnd.h"

// A static control of the platform's STATIC class. Without SS_NOTIFY it lets
// the mouse through to whatever lies beneath it; with SS_NOTIFY a press tells
// its parent STN_CLICKED. With SS_OWNERDRAW it paints through DrawItem.
class CStatic : public CWnd
{
public:
    BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
    }
};

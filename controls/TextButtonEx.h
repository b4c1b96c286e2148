#pragma once

#include "controls/SkinnedControl.h"
#include "framework/Font.h"
#include "framework/Static.h"

// A clickable line of text, link-like, in a colour per state. Needs SS_NOTIFY
// to receive the mouse and report clicks.
class CTextButtonEx : public CSkinnedControl<CStatic>
{
public:
    CTextButtonEx();

    void SetFontHeight(int nHeight);
    // Width of the caption in m_font, and the control's current client height.
    CSize CalcTextSize();

    void OnPaint() override;

    COLORREF m_crText[4];
    int m_nFontHeight;
    CFont m_font;
};

#pragma once

#include "framework/Font.h"
#include "framework/Static.h"

// A one-line text label with a transparent background: the page beneath it
// shows around its glyphs.
class CStaticEx : public CStatic
{
public:
    CStaticEx();

    void SetFontHeight(int nHeight);
    // Width of the text in m_font, and the label's current client height.
    CSize CalcTextSize();

    void OnPaint() override;
    // The paint lays the page beneath the text itself.
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

    CFont m_font;
    COLORREF m_crText;
    int m_nFontHeight;
};

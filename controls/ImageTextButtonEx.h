#pragma once

#include "controls/StripButton.h"

// A strip-drawn button with its caption centred on the cell, in a colour per state.
class CImageTextButtonEx : public CStripButton
{
public:
    CImageTextButtonEx();

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    COLORREF m_crText[4];
    int m_nFontHeight;
};

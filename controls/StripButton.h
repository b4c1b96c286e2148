#pragma once

#include <memory>

#include "controls/SkinnedControl.h"
#include "framework/Button.h"
#include "framework/Image.h"

// An owner-drawn push button whose look comes from a four-state strip. It paints
// no background of its own: the cell is blended over the page beneath.
class CStripButton : public CSkinnedControl<CButton>
{
public:
    CStripButton();
    ~CStripButton() override;

    // Loads the strip and sizes the button to one cell, keeping its position.
    void SetImage(UINT nResourceId);

    void PreSubclassWindow() override;

    std::unique_ptr<CImage> m_pImage;
    ULONG_PTR m_gdiplusToken = 0;

protected:
    // Draws the cell of m_nState over the draw request's item rectangle.
    void DrawStateCell(CDC* pDC, const CRect& rcItem);
};

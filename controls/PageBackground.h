#pragma once

#include <functional>

#include "framework/DC.h"

class CWnd;

// A window whose page shows through the translucent edges of its controls.
// Each redraw of such a control starts from the page part beneath it, never
// from the control's own old pixels, which a blend would darken every time.
class IPageBackground
{
public:
    // Draws the part `rcPage` (client coordinates) of the page with its
    // top-left corner at pDC's origin.
    virtual void DrawPageBackground(CDC* pDC, const CRect& rcPage) = 0;

protected:
    ~IPageBackground() = default;
};

// Paints a control in one step: the page beneath it and then its look are
// composed off screen and copied to pDC at once, so the screen never shows
// the bare page in the control's place. A control whose parent has no page
// draws its look straight onto pDC, over what is there.
void PaintOverPage(CWnd* pControl, CDC* pDC, const std::function<void(CDC& dc)>& drawLook);

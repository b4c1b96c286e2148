#pragma once

#include "framework/linux/WindowClass.h"

// The STATIC class: mouse-through unless SS_NOTIFY, STN_CLICKED on a press,
// the draw request to the parent when owner-drawn, else its text over the
// brush its parent answers a CTLCOLOR_STATIC request with.
class CStaticClass : public CWindowClass
{
public:
    using CWindowClass::CWindowClass;

    void OnPaint(CDC* pDC) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    bool IsMouseTransparent() const override;
};

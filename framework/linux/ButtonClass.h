#pragma once

#include "framework/linux/WindowClass.h"

// The BUTTON class: capture on a press, the pushed look while the pointer
// stays over it, BN_CLICKED to the parent on a release over it, and the draw
// request to the parent when owner-drawn.
class CButtonClass : public CWindowClass
{
public:
    using CWindowClass::CWindowClass;

    void OnPaint(CDC* pDC) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;

    int m_nCheck = BST_UNCHECKED;

private:
    void SetPushed(bool bPushed);

    bool m_bPushed = false;
    bool m_bTracking = false; // pressed here and holding the capture
};

#pragma once

#include <functional>

#include "framework/DC.h"
#include "framework/Bitmap.h"

// A page drawn once at its window's size and copied from on every paint,
// whole or in part: a control's redraw then costs a copy of its own rectangle,
// and every copy of a pixel is the same pixel.
class CPageImage
{
public:
    CPageImage() = default;
    ~CPageImage() { Reset(); }
    CPageImage(const CPageImage&) = delete;
    CPageImage& operator=(const CPageImage&) = delete;

    // Copies the part `rcPage` of the page to pDC's origin; draws the page
    // first (with `draw`, onto a context the size of `size`) if it is not
    // there at that size yet. False if no page could be made.
    bool CopyTo(CDC* pDC, const CRect& rcPage, CSize size, const std::function<void(CDC& dc)>& draw);
    // Forgets the page, so the next copy draws it again.
    void Reset();

private:
    CDC m_dc;
    CBitmap m_bitmap;
    HBITMAP m_hOldBitmap = nullptr;
    bool m_bSelected = false;
    CSize m_size;
};

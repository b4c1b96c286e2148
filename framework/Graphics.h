#pragma once

#include "base/Types.h"

class CDC;
class CImage;

// Draws images onto a device context, alpha-blended over what it shows, with
// bilinear scaling.
class CGraphics
{
public:
    explicit CGraphics(CDC* pDC) : m_pDC(pDC) {}
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;

    // Draws the source rectangle (in image pixels) of `pImage` into the
    // destination rectangle (in device pixels). Edges are not bled from
    // outside the source rectangle.
    BOOL DrawImage(const CImage* pImage, const CRect& dest, int xSrc, int ySrc, int cxSrc, int cySrc);

private:
    CDC* m_pDC;
};

#pragma once

// What lies behind the drawing handles on Linux.

#include <string>
#include <vector>

#include <cairo.h>

#include "base/Types.h"

struct HPEN__
{
    int nStyle = PS_SOLID;
    int nWidth = 1;
    COLORREF cr = 0;
};

struct HBRUSH__
{
    COLORREF cr = 0;
    bool bNull = false;
};

struct HBITMAP__
{
    cairo_surface_t* pSurface = nullptr;
};

struct HFONT__
{
    cairo_font_face_t* pFace = nullptr;
    double dEmPixels = 0; // the em size that gives the requested cell height
    double dAscent = 0;   // pixels from the cell top to the baseline
    int nCellHeight = 0;
    bool bUnderline = false;
};

struct HDC__
{
    cairo_surface_t* pTarget = nullptr; // not owned: a window's backing or a selected bitmap
    cairo_t* pCairo = nullptr;
    CPoint origin; // where (0, 0) lies on the target
    CRect rcLimit; // target coordinates drawing is limited to; empty = whole target
    HFONT hFont = nullptr;
    HPEN hPen = nullptr;
    HBRUSH hBrush = nullptr;
    HBITMAP hBitmap = nullptr;
    COLORREF crText = 0;
    COLORREF crBk = 0xFFFFFF;
    int nBkMode = OPAQUE;
    bool bMemory = false;

    struct Saved
    {
        CRect rcLimit;
        HFONT hFont;
        HPEN hPen;
        HBRUSH hBrush;
        COLORREF crText;
        COLORREF crBk;
        int nBkMode;
    };
    std::vector<Saved> saved;
};

// Rebuilds the cairo context of `hDC` for its current target, origin and limit.
void ResetDcCairo(HDC hDC);

// Sets the cairo source colour from a COLORREF.
void SetCairoColour(cairo_t* cr, COLORREF colour);

// Decodes PNG bytes into a new image surface (premultiplied ARGB); the
// surface's status says whether that worked. The caller destroys it.
cairo_surface_t* DecodePng(const BYTE* pData, size_t nSize);

// Gives back the pages of the large built-in pictures drawn since the last
// call; called after each round of painting.
void ReleaseDrawnPictures();

// The font used when none has been selected.
HFONT GetDefaultFont();

// Has fontconfig read its configuration on a thread of its own, unless the
// font files of earlier runs are known; the first font made that needs it
// waits for it. Called as the window system starts.
void StartLoadingFontConfiguration();

// Whether fontconfig has been started in this process (for tests).
bool FontConfigurationUsed();

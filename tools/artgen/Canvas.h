#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

// A transparent ARGB drawing surface with its cairo context.
class CCanvas
{
public:
    CCanvas(int nWidth, int nHeight);
    ~CCanvas();

    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;
    CCanvas(CCanvas&& other) noexcept;
    CCanvas& operator=(CCanvas&& other) noexcept;

    cairo_t* Cr() const { return m_pCr; }
    cairo_surface_t* Surface() const { return m_pSurface; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    // Pixels as straight (not premultiplied) RGBA, row by row, top row first.
    std::vector<uint8_t> ToRgba() const;

private:
    void Release();

    cairo_surface_t* m_pSurface = nullptr;
    cairo_t* m_pCr = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

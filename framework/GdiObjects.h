#pragma once

#include "framework/Types.h"

// Owned pens, brushes and bitmaps for device contexts. Each releases its handle
// when it goes, so a paint cannot leak them.

class CPen
{
public:
    CPen() = default;
    CPen(int nStyle, int nWidth, COLORREF cr) { CreatePen(nStyle, nWidth, cr); }
    ~CPen() { DeleteObject(); }
    CPen(const CPen&) = delete;
    CPen& operator=(const CPen&) = delete;
    BOOL CreatePen(int nStyle, int nWidth, COLORREF cr);
    void DeleteObject();
    HPEN GetSafeHandle() const { return m_hPen; }

private:
    HPEN m_hPen = nullptr;
};

class CBrush
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF cr) { CreateSolidBrush(cr); }
    ~CBrush() { DeleteObject(); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;
    BOOL CreateSolidBrush(COLORREF cr);
    void DeleteObject();
    HBRUSH GetSafeHandle() const { return m_hBrush; }

private:
    HBRUSH m_hBrush = nullptr;
};

// The brush that paints nothing (for outlines without a fill).
HBRUSH GetNullBrush();

class CDC;

class CBitmap
{
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    // A bitmap of the given size in the pixel format of `dc`.
    BOOL CreateCompatibleBitmap(CDC* pDC, int cx, int cy);
    void DeleteObject();
    HBITMAP GetSafeHandle() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap = nullptr;
};

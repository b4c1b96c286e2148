#pragma once

// The Windows vocabulary the framework and the application speak: handle
// types, RECT and friends, DWORD, COLORREF and RGB, MSG, DRAWITEMSTRUCT, the
// style, message and flag constants, HRESULT, MulDiv. On Windows all of it is
// the platform's own; elsewhere base/linux/WinDefs.h defines the same names with the
// same values. This is the one place that decides which set is used.

#if defined(_WIN32)
#include "base/win32/WinDefs.h"
#else
#include "base/linux/WinDefs.h"
#endif

struct CPoint : POINT
{
    CPoint()
    {
        x = 0;
        y = 0;
    }
    CPoint(LONG px, LONG py)
    {
        x = px;
        y = py;
    }
    CPoint(const POINT& pt) : POINT(pt) {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

struct CSize : SIZE
{
    CSize()
    {
        cx = 0;
        cy = 0;
    }
    CSize(LONG w, LONG h)
    {
        cx = w;
        cy = h;
    }
    CSize(const SIZE& size) : SIZE(size) {}
    bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
};

struct CRect : RECT
{
    CRect()
    {
        left = 0;
        top = 0;
        right = 0;
        bottom = 0;
    }
    CRect(LONG l, LONG t, LONG r, LONG b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    CRect(const RECT& rc) : RECT(rc) {}

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool PtInRect(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    void OffsetRect(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    CPoint TopLeft() const { return {left, top}; }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }

    // Smallest rectangle holding both; an empty operand is ignored.
    static CRect Union(const CRect& a, const CRect& b);
    // Overlap of both; empty (all zero) when they don't overlap.
    static CRect Intersect(const CRect& a, const CRect& b);
};

inline CRect CRect::Union(const CRect& a, const CRect& b)
{
    if (a.IsRectEmpty())
        return b;
    if (b.IsRectEmpty())
        return a;
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
            a.bottom > b.bottom ? a.bottom : b.bottom};
}

inline CRect CRect::Intersect(const CRect& a, const CRect& b)
{
    CRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
            a.bottom < b.bottom ? a.bottom : b.bottom};
    return r.IsRectEmpty() ? CRect{} : r;
}

#pragma once

// The small vocabulary of Windows types and constants that the window framework
// speaks. Values match the Windows headers so the Win32 backend passes them on
// unchanged; on other targets the backend interprets them.

#include <cstddef>
#include <cstdint>

#include "common/Colour.h"

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using ULONG_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LPCWSTR = const wchar_t*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Opaque handles. Each backend defines the structures behind them.
struct HWND__;
struct HDC__;
struct HFONT__;
struct HBITMAP__;
struct HPEN__;
struct HBRUSH__;
struct HICON__;
using HWND = HWND__*;
using HDC = HDC__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HICON = HICON__*;

struct CPoint
{
    LONG x = 0;
    LONG y = 0;
    CPoint() = default;
    CPoint(LONG px, LONG py) : x(px), y(py) {}
    bool operator==(const CPoint&) const = default;
};

struct CSize
{
    LONG cx = 0;
    LONG cy = 0;
    CSize() = default;
    CSize(LONG w, LONG h) : cx(w), cy(h) {}
    bool operator==(const CSize&) const = default;
};

struct CRect
{
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;

    CRect() = default;
    CRect(LONG l, LONG t, LONG r, LONG b) : left(l), top(t), right(r), bottom(b) {}

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool PtInRect(CPoint pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    void OffsetRect(LONG dx, LONG dy) { left += dx; right += dx; top += dy; bottom += dy; }
    CPoint TopLeft() const { return {left, top}; }
    bool operator==(const CRect&) const = default;

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
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

inline CRect CRect::Intersect(const CRect& a, const CRect& b)
{
    CRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    return r.IsRectEmpty() ? CRect{} : r;
}

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_FIXEDSYS = 0x08;

// Button and static styles.
constexpr DWORD BS_TYPEMASK = 0x0F;
constexpr DWORD BS_CHECKBOX = 0x02;
constexpr DWORD BS_OWNERDRAW = 0x0B;
constexpr DWORD BS_RIGHT = 0x200;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD SS_OWNERDRAW = 0x0D;
constexpr DWORD SS_NOTIFY = 0x100;
constexpr DWORD SS_CENTERIMAGE = 0x200;
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD ES_AUTOHSCROLL = 0x80;

// ShowWindow and SetWindowPos.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;

// Messages that reach PreTranslateMessage, and notification codes.
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT BN_CLICKED = 0;
constexpr UINT STN_CLICKED = 0;
constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;

// Virtual keys.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;

// Mouse-key flags of mouse messages.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;

// Mouse tracking.
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;

// Background modes and raster operations.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SRCCOPY = 0x00CC0020;

// DrawText formats.
constexpr UINT DT_LEFT = 0x00;
constexpr UINT DT_CENTER = 0x01;
constexpr UINT DT_RIGHT = 0x02;
constexpr UINT DT_VCENTER = 0x04;
constexpr UINT DT_SINGLELINE = 0x20;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Owner-draw request.
constexpr UINT ODT_STATIC = 5;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 1;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_FOCUS = 0x0010;

// Colour-request kinds.
constexpr UINT CTLCOLOR_EDIT = 1;
constexpr UINT CTLCOLOR_STATIC = 6;

struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct DRAWITEMSTRUCT
{
    UINT CtlType = ODT_BUTTON;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    CRect rcItem;
    ULONG_PTR itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

struct TRACKMOUSEEVENT
{
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
    DWORD dwHoverTime = 0;
};

// Asks for hover and leave notifications for a window, as the common-controls call does.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* pTrack);

#pragma once

#include <string_view>

#include "framework/Bitmap.h"
#include "framework/Brush.h"
#include "framework/Pen.h"
#include "framework/Font.h"
#include "base/Types.h"

class CWnd;

// A device context: a drawing target (a window's pixels or a bitmap selected
// into a memory context) with the current font, pen, brush and text settings.
// Coordinates are relative to the target's origin (a window's client area).
class CDC
{
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    void Attach(HDC hDC) { m_hDC = hDC; }
    HDC Detach();

    // A memory context in the pixel format of `pDC` (the screen's when null);
    // it draws nowhere until a bitmap is selected into it.
    BOOL CreateCompatibleDC(CDC* pDC);
    void DeleteDC();

    HFONT SelectObject(HFONT hFont);
    HPEN SelectObject(HPEN hPen);
    HBRUSH SelectObject(HBRUSH hBrush);
    HBITMAP SelectObject(HBITMAP hBitmap);
    HFONT SelectObject(CFont* pFont) { return SelectObject(pFont->GetSafeHandle()); }
    HPEN SelectObject(CPen* pPen) { return SelectObject(pPen->GetSafeHandle()); }
    HBRUSH SelectObject(CBrush* pBrush) { return SelectObject(pBrush->GetSafeHandle()); }
    HBITMAP SelectObject(CBitmap* pBitmap) { return SelectObject(pBitmap->GetSafeHandle()); }

    COLORREF SetTextColor(COLORREF cr);
    COLORREF SetBkColor(COLORREF cr);
    int SetBkMode(int nMode);

    // Text drawn with its cell's top-left corner at (x, y), in one line.
    BOOL TextOut(int x, int y, const wchar_t* psz, int nCount);
    BOOL TextOut(int x, int y, std::wstring_view text)
    {
        return TextOut(x, y, text.data(), static_cast<int>(text.size()));
    }
    // Text in one line inside `rect`, placed by the DT_ flags, clipped to `rect`.
    int DrawText(std::wstring_view text, const CRect& rect, UINT nFormat);
    // Advance width and cell height of the text in the selected font.
    CSize GetTextExtent(const wchar_t* psz, int nCount) const;
    CSize GetTextExtent(std::wstring_view text) const
    {
        return GetTextExtent(text.data(), static_cast<int>(text.size()));
    }

    void FillSolidRect(const CRect& rect, COLORREF cr);
    void FillRect(const CRect& rect, CBrush* pBrush) { FillRect(rect, pBrush ? pBrush->GetSafeHandle() : nullptr); }
    void FillRect(const CRect& rect, HBRUSH hBrush);
    // Outline with the selected pen, inside filled with the selected brush;
    // right and bottom edges are excluded, as on Windows.
    BOOL Rectangle(int left, int top, int right, int bottom);
    // The same with corners rounded by an ellipse of nWidth x nHeight (0: square).
    BOOL RoundRect(int left, int top, int right, int bottom, int nWidth, int nHeight);

    // Draws an icon at its standard size (GetIconSize) with its top-left at (x, y).
    BOOL DrawIcon(int x, int y, HICON hIcon);

    BOOL BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD dwRop);

    // Limits further drawing to the given rectangle (intersected with the current limit).
    void IntersectClipRect(const CRect& rect);
    int SaveDC();
    BOOL RestoreDC(int nSavedDC);

    COLORREF GetPixel(int x, int y) const;

protected:
    HDC m_hDC = nullptr;
    bool m_bOwned = false;
};

// The context of a paint: begins painting the window's invalid area (erasing it
// first when asked) and validates it when it goes.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    const CRect& GetPaintRect() const { return m_rcPaint; }

private:
    CWnd* m_pWnd;
    CRect m_rcPaint;
};

// A context for a window's client area outside of a paint.
class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    CWnd* m_pWnd;
};

// Selects an object into a context for one scope and puts the previous one back.
template <typename Handle>
class CSelectGuard
{
public:
    CSelectGuard(CDC& dc, Handle h) : m_dc(dc), m_hOld(dc.SelectObject(h)) {}
    ~CSelectGuard() { m_dc.SelectObject(m_hOld); }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
    CDC& m_dc;
    Handle m_hOld;
};

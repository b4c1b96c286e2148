#include "framework/DC.h"

#include <vector>

#include "framework/Font.h"
#include "framework/Bitmap.h"
#include "framework/Brush.h"
#include "framework/Pen.h"
#include "framework/Wnd.h"

namespace
{
// Paints in progress on the window thread, innermost last: EndPaint needs the
// PAINTSTRUCT that BeginPaint filled in.
struct OpenPaint
{
    const CPaintDC* pDC;
    HWND hWnd;
    PAINTSTRUCT ps;
};
std::vector<OpenPaint> g_openPaints;

// SelectObject with a null handle changes nothing and reports what is selected.
template <typename Handle>
Handle Select(HDC hDC, Handle hObject, UINT nType)
{
    if (!hDC)
        return nullptr;
    if (!hObject)
        return static_cast<Handle>(GetCurrentObject(hDC, nType));
    return static_cast<Handle>(::SelectObject(hDC, hObject));
}
} // namespace

// ---- Pens, brushes, bitmaps, fonts

BOOL CPen::CreatePen(int nStyle, int nWidth, COLORREF cr)
{
    DeleteObject();
    m_hPen = ::CreatePen(nStyle, nWidth, cr);
    return m_hPen != nullptr;
}

void CPen::DeleteObject()
{
    if (m_hPen)
        ::DeleteObject(m_hPen);
    m_hPen = nullptr;
}

BOOL CBrush::CreateSolidBrush(COLORREF cr)
{
    DeleteObject();
    m_hBrush = ::CreateSolidBrush(cr);
    return m_hBrush != nullptr;
}

void CBrush::DeleteObject()
{
    if (m_hBrush)
        ::DeleteObject(m_hBrush);
    m_hBrush = nullptr;
}

HBRUSH GetNullBrush()
{
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int cx, int cy)
{
    DeleteObject();
    if (cx <= 0 || cy <= 0)
        return FALSE;
    HDC hDC = pDC ? pDC->GetSafeHdc() : nullptr;
    // A fresh memory context holds a one-bit bitmap; a bitmap made compatible
    // with it would be monochrome. The screen's format is meant then.
    bool bScreen = !hDC;
    if (hDC && GetObjectType(hDC) == OBJ_MEMDC) {
        BITMAP bm{};
        HGDIOBJ hSelected = GetCurrentObject(hDC, OBJ_BITMAP);
        bScreen = !hSelected || !GetObjectW(hSelected, sizeof(bm), &bm) || bm.bmBitsPixel == 1;
    }
    if (bScreen) {
        HDC hScreen = GetDC(nullptr);
        m_hBitmap = ::CreateCompatibleBitmap(hScreen, cx, cy);
        ReleaseDC(nullptr, hScreen);
    } else {
        m_hBitmap = ::CreateCompatibleBitmap(hDC, cx, cy);
    }
    return m_hBitmap != nullptr;
}

void CBitmap::DeleteObject()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
}

BOOL CFont::CreateFontIndirect(const FontDesc& desc)
{
    DeleteObject();
    m_hFont = CreateFontW(desc.nHeight, 0, 0, 0, desc.nWeight, desc.bItalic, desc.bUnderline, desc.bStrikeOut,
                          desc.nCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, desc.nPitchAndFamily,
                          desc.pszFace ? desc.pszFace : L"");
    return m_hFont != nullptr;
}

void CFont::DeleteObject()
{
    if (m_hFont)
        ::DeleteObject(m_hFont);
    m_hFont = nullptr;
}

// ---- Device contexts

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_hDC != nullptr;
}

void CDC::DeleteDC()
{
    if (m_hDC && m_bOwned)
        ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_bOwned = false;
}

HFONT CDC::SelectObject(HFONT hFont)
{
    return Select(m_hDC, hFont, OBJ_FONT);
}
HPEN CDC::SelectObject(HPEN hPen)
{
    return Select(m_hDC, hPen, OBJ_PEN);
}
HBRUSH CDC::SelectObject(HBRUSH hBrush)
{
    return Select(m_hDC, hBrush, OBJ_BRUSH);
}

HBITMAP CDC::SelectObject(HBITMAP hBitmap)
{
    // Only a memory context takes a bitmap.
    if (!m_hDC || GetObjectType(m_hDC) != OBJ_MEMDC)
        return nullptr;
    return Select(m_hDC, hBitmap, OBJ_BITMAP);
}

COLORREF CDC::SetTextColor(COLORREF cr)
{
    return m_hDC ? ::SetTextColor(m_hDC, cr) : 0;
}
COLORREF CDC::SetBkColor(COLORREF cr)
{
    return m_hDC ? ::SetBkColor(m_hDC, cr) : 0;
}
int CDC::SetBkMode(int nMode)
{
    return m_hDC ? ::SetBkMode(m_hDC, nMode) : 0;
}

BOOL CDC::TextOut(int x, int y, const wchar_t* psz, int nCount)
{
    return m_hDC && psz ? ::TextOutW(m_hDC, x, y, psz, nCount) : FALSE;
}

int CDC::DrawText(std::wstring_view text, const CRect& rect, UINT nFormat)
{
    if (!m_hDC)
        return 0;
    RECT rc = rect;
    return ::DrawTextW(m_hDC, text.data(), static_cast<int>(text.size()), &rc, nFormat);
}

CSize CDC::GetTextExtent(const wchar_t* psz, int nCount) const
{
    SIZE size{};
    if (m_hDC && psz)
        GetTextExtentPoint32W(m_hDC, psz, nCount, &size);
    return CSize(size);
}

void CDC::FillSolidRect(const CRect& rect, COLORREF cr)
{
    if (!m_hDC || rect.IsRectEmpty())
        return;
    // The quickest solid fill GDI has; the context keeps its background colour.
    const COLORREF crOld = ::SetBkColor(m_hDC, cr);
    ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, crOld);
}

void CDC::FillRect(const CRect& rect, HBRUSH hBrush)
{
    if (m_hDC && hBrush)
        ::FillRect(m_hDC, &rect, hBrush);
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    return m_hDC ? ::Rectangle(m_hDC, left, top, right, bottom) : FALSE;
}

BOOL CDC::RoundRect(int left, int top, int right, int bottom, int nWidth, int nHeight)
{
    return m_hDC ? ::RoundRect(m_hDC, left, top, right, bottom, nWidth, nHeight) : FALSE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    return m_hDC && hIcon ? ::DrawIcon(m_hDC, x, y, hIcon) : FALSE;
}

BOOL CDC::BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop)
{
    if (!m_hDC || !pSrc || !pSrc->m_hDC)
        return FALSE;
    return ::BitBlt(m_hDC, x, y, cx, cy, pSrc->m_hDC, xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD dwRop)
{
    if (!m_hDC || !pSrc || !pSrc->m_hDC)
        return FALSE;
    // Scaled copies take whole pixels, as the other backend's do.
    const int nOldMode = SetStretchBltMode(m_hDC, COLORONCOLOR);
    const BOOL bDone = ::StretchBlt(m_hDC, x, y, cx, cy, pSrc->m_hDC, xSrc, ySrc, cxSrc, cySrc, dwRop);
    SetStretchBltMode(m_hDC, nOldMode);
    return bDone;
}

void CDC::IntersectClipRect(const CRect& rect)
{
    if (m_hDC)
        ::IntersectClipRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
}

int CDC::SaveDC()
{
    return m_hDC ? ::SaveDC(m_hDC) : 0;
}
BOOL CDC::RestoreDC(int nSavedDC)
{
    return m_hDC ? ::RestoreDC(m_hDC, nSavedDC) : FALSE;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    return m_hDC ? ::GetPixel(m_hDC, x, y) : CLR_INVALID;
}

// ---- Window contexts

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    HWND hWnd = pWnd ? pWnd->m_hWnd : nullptr;
    if (!hWnd)
        return;
    OpenPaint paint{this, hWnd, {}};
    // Erases first when the window asked for it, through its own OnEraseBkgnd.
    m_hDC = BeginPaint(hWnd, &paint.ps);
    if (!m_hDC)
        return;
    m_rcPaint = paint.ps.rcPaint;
    g_openPaints.push_back(paint);
}

CPaintDC::~CPaintDC()
{
    if (!m_hDC)
        return;
    for (auto it = g_openPaints.rbegin(); it != g_openPaints.rend(); ++it) {
        if (it->pDC == this) {
            EndPaint(it->hWnd, &it->ps);
            g_openPaints.erase(std::next(it).base());
            break;
        }
    }
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    if (pWnd && pWnd->m_hWnd)
        m_hDC = GetDC(pWnd->m_hWnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ReleaseDC(WindowFromDC(m_hDC), m_hDC);
    m_hDC = nullptr;
}

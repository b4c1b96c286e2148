#include "framework/DC.h"

#include <algorithm>
#include <cmath>

#include "framework/Screen.h"
#include "framework/Wnd.h"
#include "framework/linux/Icon.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
HPEN__ g_blackPen{PS_SOLID, 1, 0};
HBRUSH__ g_whiteBrush{0xFFFFFF, false};
HBRUSH__ g_nullBrush{0, true};

HDC NewWindowDc(CWnd* pWnd, const CRect* pPaintRect)
{
    auto* dc = new HDC__;
    dc->hPen = &g_blackPen;
    dc->hBrush = &g_whiteBrush;
    if (!pWnd || !pWnd->m_hWnd)
        return dc;
    CSdlWindowBackend& ws = CSdlWindowBackend::Get();
    dc->pTarget = ws.BackingOf(pWnd->m_hWnd);
    dc->origin = ws.OriginInTopLevel(pWnd->m_hWnd);
    CRect limit = ws.VisibleRectInTopLevel(pWnd->m_hWnd);
    if (pPaintRect) {
        CRect paint = *pPaintRect;
        paint.OffsetRect(dc->origin.x, dc->origin.y);
        limit = CRect::Intersect(limit, paint);
    }
    // An empty limit must still draw nothing, not everything.
    dc->rcLimit = limit.IsRectEmpty() ? CRect(0, 0, 0, 0) : limit;
    if (limit.IsRectEmpty())
        dc->rcLimit = CRect(-1, -1, -1, -1);
    ws.NoteDrawing(pWnd->m_hWnd, limit);
    ResetDcCairo(dc);
    return dc;
}

void FreeDc(HDC dc)
{
    if (!dc)
        return;
    if (dc->pCairo)
        cairo_destroy(dc->pCairo);
    delete dc;
}
} // namespace

void SetCairoColour(cairo_t* cr, COLORREF colour)
{
    cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

void ResetDcCairo(HDC hDC)
{
    if (hDC->pCairo) {
        cairo_destroy(hDC->pCairo);
        hDC->pCairo = nullptr;
    }
    if (!hDC->pTarget)
        return;
    hDC->pCairo = cairo_create(hDC->pTarget);
    if (hDC->rcLimit.left == -1 && hDC->rcLimit.right == -1) {
        cairo_rectangle(hDC->pCairo, 0, 0, 0, 0);
        cairo_clip(hDC->pCairo);
    } else if (!hDC->rcLimit.IsRectEmpty()) {
        cairo_rectangle(hDC->pCairo, hDC->rcLimit.left, hDC->rcLimit.top, hDC->rcLimit.Width(), hDC->rcLimit.Height());
        cairo_clip(hDC->pCairo);
    }
    cairo_translate(hDC->pCairo, hDC->origin.x, hDC->origin.y);
}

// ---- Pens, brushes, bitmaps

BOOL CPen::CreatePen(int nStyle, int nWidth, COLORREF cr)
{
    DeleteObject();
    m_hPen = new HPEN__{nStyle, std::max(1, nWidth), cr};
    return TRUE;
}

void CPen::DeleteObject()
{
    delete m_hPen;
    m_hPen = nullptr;
}

BOOL CBrush::CreateSolidBrush(COLORREF cr)
{
    DeleteObject();
    m_hBrush = new HBRUSH__{cr, false};
    return TRUE;
}

void CBrush::DeleteObject()
{
    delete m_hBrush;
    m_hBrush = nullptr;
}

HBRUSH GetNullBrush()
{
    return &g_nullBrush;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int cx, int cy)
{
    DeleteObject();
    if (cx <= 0 || cy <= 0)
        return FALSE;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cx, cy);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return FALSE;
    }
    m_hBitmap = new HBITMAP__{surface};
    return TRUE;
}

void CBitmap::DeleteObject()
{
    if (m_hBitmap) {
        cairo_surface_destroy(m_hBitmap->pSurface);
        delete m_hBitmap;
        m_hBitmap = nullptr;
    }
}

// ---- Device contexts

BOOL CDC::CreateCompatibleDC(CDC*)
{
    DeleteDC();
    m_hDC = new HDC__;
    m_hDC->bMemory = true;
    m_hDC->hPen = &g_blackPen;
    m_hDC->hBrush = &g_whiteBrush;
    m_bOwned = true;
    return TRUE;
}

void CDC::DeleteDC()
{
    if (m_hDC && m_bOwned)
        FreeDc(m_hDC);
    m_hDC = nullptr;
    m_bOwned = false;
}

HFONT CDC::SelectObject(HFONT hFont)
{
    if (!m_hDC)
        return nullptr;
    HFONT old = m_hDC->hFont;
    if (hFont)
        m_hDC->hFont = hFont;
    return old;
}

HPEN CDC::SelectObject(HPEN hPen)
{
    if (!m_hDC)
        return nullptr;
    HPEN old = m_hDC->hPen;
    if (hPen)
        m_hDC->hPen = hPen;
    return old;
}

HBRUSH CDC::SelectObject(HBRUSH hBrush)
{
    if (!m_hDC)
        return nullptr;
    HBRUSH old = m_hDC->hBrush;
    if (hBrush)
        m_hDC->hBrush = hBrush;
    return old;
}

HBITMAP CDC::SelectObject(HBITMAP hBitmap)
{
    if (!m_hDC || !m_hDC->bMemory)
        return nullptr;
    HBITMAP old = m_hDC->hBitmap;
    m_hDC->hBitmap = hBitmap;
    m_hDC->pTarget = hBitmap ? hBitmap->pSurface : nullptr;
    m_hDC->origin = CPoint();
    m_hDC->rcLimit = CRect();
    ResetDcCairo(m_hDC);
    return old;
}

COLORREF CDC::SetTextColor(COLORREF cr)
{
    if (!m_hDC)
        return 0;
    COLORREF old = m_hDC->crText;
    m_hDC->crText = cr;
    return old;
}

COLORREF CDC::SetBkColor(COLORREF cr)
{
    if (!m_hDC)
        return 0;
    COLORREF old = m_hDC->crBk;
    m_hDC->crBk = cr;
    return old;
}

int CDC::SetBkMode(int nMode)
{
    if (!m_hDC)
        return 0;
    int old = m_hDC->nBkMode;
    m_hDC->nBkMode = nMode;
    return old;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF cr)
{
    if (!m_hDC || !m_hDC->pCairo || rect.IsRectEmpty())
        return;
    cairo_t* c = m_hDC->pCairo;
    cairo_save(c);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    SetCairoColour(c, cr);
    cairo_rectangle(c, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(c);
    cairo_restore(c);
}

void CDC::FillRect(const CRect& rect, HBRUSH hBrush)
{
    if (hBrush && !hBrush->bNull)
        FillSolidRect(rect, hBrush->cr);
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    if (!m_hDC || !m_hDC->pCairo || right <= left || bottom <= top)
        return FALSE;
    HBRUSH brush = m_hDC->hBrush;
    if (brush && !brush->bNull)
        FillSolidRect(CRect(left, top, right, bottom), brush->cr);
    HPEN pen = m_hDC->hPen;
    if (pen && pen->nStyle != PS_NULL) {
        cairo_t* c = m_hDC->pCairo;
        cairo_save(c);
        cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
        SetCairoColour(c, pen->cr);
        const int w = pen->nWidth;
        // The outline lies inside the rectangle, w pixels thick on every side.
        cairo_rectangle(c, left, top, right - left, w);
        cairo_rectangle(c, left, bottom - w, right - left, w);
        cairo_rectangle(c, left, top, w, bottom - top);
        cairo_rectangle(c, right - w, top, w, bottom - top);
        cairo_fill(c);
        cairo_restore(c);
    }
    return TRUE;
}

BOOL CDC::RoundRect(int left, int top, int right, int bottom, int nWidth, int nHeight)
{
    if (nWidth <= 1 || nHeight <= 1)
        return Rectangle(left, top, right, bottom);
    if (!m_hDC || !m_hDC->pCairo || right <= left || bottom <= top)
        return FALSE;
    cairo_t* c = m_hDC->pCairo;
    const double rx = std::min(nWidth, right - left) / 2.0;
    const double ry = std::min(nHeight, bottom - top) / 2.0;
    auto path = [&](double inset) {
        const double l = left + inset, t = top + inset, r = right - inset, b = bottom - inset;
        cairo_new_path(c);
        cairo_save(c);
        cairo_translate(c, r - rx, t + ry);
        cairo_scale(c, rx - inset, ry - inset);
        cairo_arc(c, 0, 0, 1, -M_PI / 2, 0);
        cairo_restore(c);
        cairo_save(c);
        cairo_translate(c, r - rx, b - ry);
        cairo_scale(c, rx - inset, ry - inset);
        cairo_arc(c, 0, 0, 1, 0, M_PI / 2);
        cairo_restore(c);
        cairo_save(c);
        cairo_translate(c, l + rx - inset, b - ry);
        cairo_scale(c, rx - inset, ry - inset);
        cairo_arc(c, 0, 0, 1, M_PI / 2, M_PI);
        cairo_restore(c);
        cairo_save(c);
        cairo_translate(c, l + rx - inset, t + ry);
        cairo_scale(c, rx - inset, ry - inset);
        cairo_arc(c, 0, 0, 1, M_PI, 3 * M_PI / 2);
        cairo_restore(c);
        cairo_close_path(c);
    };
    cairo_save(c);
    HBRUSH brush = m_hDC->hBrush;
    if (brush && !brush->bNull) {
        path(0);
        SetCairoColour(c, brush->cr);
        cairo_fill(c);
    }
    HPEN pen = m_hDC->hPen;
    if (pen && pen->nStyle != PS_NULL) {
        path(pen->nWidth / 2.0);
        SetCairoColour(c, pen->cr);
        cairo_set_line_width(c, pen->nWidth);
        cairo_stroke(c);
    }
    cairo_restore(c);
    return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    if (!m_hDC || !m_hDC->pCairo || !hIcon)
        return FALSE;
    cairo_surface_t* icon = DecodePng(hIcon->pData, hIcon->nSize);
    const bool bDecoded = cairo_surface_status(icon) == CAIRO_STATUS_SUCCESS;
    if (bDecoded) {
        const CSize size = GetIconSize();
        cairo_t* c = m_hDC->pCairo;
        cairo_save(c);
        cairo_translate(c, x, y);
        cairo_scale(c, static_cast<double>(size.cx) / cairo_image_surface_get_width(icon),
                    static_cast<double>(size.cy) / cairo_image_surface_get_height(icon));
        cairo_set_source_surface(c, icon, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_BILINEAR);
        cairo_paint(c);
        cairo_restore(c);
    }
    cairo_surface_destroy(icon);
    return bDecoded;
}

BOOL CDC::StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD)
{
    if (!m_hDC || !m_hDC->pCairo || !pSrc || !pSrc->m_hDC || !pSrc->m_hDC->pTarget)
        return FALSE;
    if (cx <= 0 || cy <= 0 || cxSrc <= 0 || cySrc <= 0)
        return FALSE;
    HDC src = pSrc->m_hDC;
    cairo_surface_flush(src->pTarget);
    // Copying within one surface needs a snapshot of the source pixels first.
    cairo_surface_t* source = src->pTarget;
    cairo_surface_t* copy = nullptr;
    if (source == m_hDC->pTarget) {
        copy = cairo_surface_create_similar_image(source, CAIRO_FORMAT_RGB24, cxSrc, cySrc);
        cairo_t* cc = cairo_create(copy);
        cairo_set_source_surface(cc, source, -(xSrc + src->origin.x), -(ySrc + src->origin.y));
        cairo_set_operator(cc, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cc);
        cairo_destroy(cc);
    }
    cairo_t* c = m_hDC->pCairo;
    cairo_save(c);
    cairo_rectangle(c, x, y, cx, cy);
    cairo_clip(c);
    cairo_translate(c, x, y);
    cairo_scale(c, static_cast<double>(cx) / cxSrc, static_cast<double>(cy) / cySrc);
    if (copy)
        cairo_set_source_surface(c, copy, 0, 0);
    else
        cairo_set_source_surface(c, source, -(xSrc + src->origin.x), -(ySrc + src->origin.y));
    cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_NEAREST);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_restore(c);
    if (copy)
        cairo_surface_destroy(copy);
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop)
{
    return StretchBlt(x, y, cx, cy, pSrc, xSrc, ySrc, cx, cy, dwRop);
}

void CDC::IntersectClipRect(const CRect& rect)
{
    if (!m_hDC || !m_hDC->pCairo)
        return;
    cairo_rectangle(m_hDC->pCairo, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(m_hDC->pCairo);
}

int CDC::SaveDC()
{
    if (!m_hDC)
        return 0;
    m_hDC->saved.push_back(
        {m_hDC->rcLimit, m_hDC->hFont, m_hDC->hPen, m_hDC->hBrush, m_hDC->crText, m_hDC->crBk, m_hDC->nBkMode});
    if (m_hDC->pCairo)
        cairo_save(m_hDC->pCairo);
    return static_cast<int>(m_hDC->saved.size());
}

BOOL CDC::RestoreDC(int nSavedDC)
{
    if (!m_hDC || nSavedDC <= 0 || static_cast<size_t>(nSavedDC) > m_hDC->saved.size())
        return FALSE;
    while (m_hDC->saved.size() >= static_cast<size_t>(nSavedDC)) {
        const HDC__::Saved s = m_hDC->saved.back();
        m_hDC->saved.pop_back();
        m_hDC->rcLimit = s.rcLimit;
        m_hDC->hFont = s.hFont;
        m_hDC->hPen = s.hPen;
        m_hDC->hBrush = s.hBrush;
        m_hDC->crText = s.crText;
        m_hDC->crBk = s.crBk;
        m_hDC->nBkMode = s.nBkMode;
        if (m_hDC->pCairo)
            cairo_restore(m_hDC->pCairo);
    }
    return TRUE;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    if (!m_hDC || !m_hDC->pTarget)
        return 0xFFFFFFFF;
    cairo_surface_t* s = m_hDC->pTarget;
    cairo_surface_flush(s);
    x += m_hDC->origin.x;
    y += m_hDC->origin.y;
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(s) || y >= cairo_image_surface_get_height(s))
        return 0xFFFFFFFF;
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    uint32_t px = reinterpret_cast<const uint32_t*>(row)[x];
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

// ---- Window contexts

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    HWND h = pWnd ? pWnd->m_hWnd : nullptr;
    if (!h)
        return;
    m_rcPaint = h->rcUpdate;
    if (m_rcPaint.IsRectEmpty())
        m_rcPaint = CRect(0, 0, h->rect.Width(), h->rect.Height());
    const bool bErase = h->bErase;
    // Beginning a paint validates the window.
    h->rcUpdate = CRect();
    h->bErase = false;
    m_hDC = NewWindowDc(pWnd, &m_rcPaint);
    m_bOwned = true;
    if (bErase)
        pWnd->OnEraseBkgnd(this);
}

CPaintDC::~CPaintDC() = default;

CClientDC::CClientDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    m_hDC = NewWindowDc(pWnd, nullptr);
    m_bOwned = true;
}

CClientDC::~CClientDC() = default;

int CDC::DrawText(std::wstring_view text, const CRect& rect, UINT nFormat)
{
    const CSize size = GetTextExtent(text);
    int x = rect.left;
    if (nFormat & DT_CENTER)
        x = (rect.left + rect.right - size.cx) / 2;
    else if (nFormat & DT_RIGHT)
        x = rect.right - size.cx;
    int y = rect.top;
    if ((nFormat & DT_VCENTER) && (nFormat & DT_SINGLELINE))
        y = (rect.top + rect.bottom - size.cy) / 2;
    const int saved = SaveDC();
    IntersectClipRect(rect);
    TextOut(x, y, text);
    RestoreDC(saved);
    return size.cy;
}

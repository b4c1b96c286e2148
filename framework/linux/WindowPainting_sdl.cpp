// The Linux backend's invalidation and painting: windows paint into their
// top-level window's backing surface, and only what changed goes to the screen.
#include "framework/linux/SdlWindowBackend.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Wnd.h"
#include "framework/linux/GdiTypes.h"

void CSdlWindowBackend::Invalidate(HWND hWnd, const CRect* pRect, bool bErase)
{
    CRect rcClient(0, 0, hWnd->rect.Width(), hWnd->rect.Height());
    CRect rc = pRect ? CRect::Intersect(*pRect, rcClient) : rcClient;
    if (rc.IsRectEmpty())
        return;
    hWnd->rcUpdate = CRect::Union(hWnd->rcUpdate, rc);
    hWnd->bErase = hWnd->bErase || bErase;
    // A parent that does not clip its children paints over them, so they are
    // drawn again after it.
    if (!(hWnd->dwStyle & WS_CLIPCHILDREN))
        InvalidateChildren(hWnd, rc, bErase);
}

void CSdlWindowBackend::InvalidateChildren(HWND hWnd, const CRect& rcClient, bool bErase)
{
    for (HWND child : hWnd->children) {
        if (!(child->dwStyle & WS_VISIBLE))
            continue;
        CRect overlap = CRect::Intersect(rcClient, child->rect);
        if (overlap.IsRectEmpty())
            continue;
        overlap.OffsetRect(-child->rect.left, -child->rect.top);
        Invalidate(child, &overlap, bErase);
    }
}

void CSdlWindowBackend::UpdateWindow(HWND hWnd)
{
    if (IsVisible(hWnd)) {
        UpdateBacking(TopLevelOf(hWnd));
        PaintTree(hWnd);
        Present(TopLevelOf(hWnd));
    }
}

bool CSdlWindowBackend::HasPendingPaint(HWND hWnd) const
{
    if (!(hWnd->dwStyle & WS_VISIBLE))
        return false;
    if (!hWnd->rcUpdate.IsRectEmpty())
        return true;
    for (HWND child : hWnd->children)
        if (HasPendingPaint(child))
            return true;
    return false;
}

void CSdlWindowBackend::PaintTree(HWND hWnd)
{
    if (!(hWnd->dwStyle & WS_VISIBLE))
        return;
    uint64_t serial = hWnd->nSerial;
    if (!hWnd->rcUpdate.IsRectEmpty() && hWnd->pWnd) {
        hWnd->pWnd->OnPaint();
        if (!IsAlive(hWnd, serial))
            return;
        // A paint handler that never began painting still leaves the window valid.
        hWnd->rcUpdate = CRect();
        hWnd->bErase = false;
        TopLevelOf(hWnd)->bPresentPending = true;
    }
    // Children paint after (over) their parent, bottom of the z-order first.
    // A paint may destroy windows, so each is looked up again before use.
    std::vector<std::pair<HWND, uint64_t>> children;
    for (HWND child : hWnd->children)
        children.emplace_back(child, child->nSerial);
    for (const auto& [child, childSerial] : children)
        if (IsAlive(child, childSerial))
            PaintTree(child);
}

namespace
{
// The X server's 24-bit pixels and cairo's RGB24 are the same 32-bit words,
// 0x00RRGGBB; a surface of another layout gets a backing of its own.
cairo_surface_t* WrapWindowSurface(SDL_Surface* surface, int w, int h)
{
    if (!surface || !surface->pixels || surface->format->format != SDL_PIXELFORMAT_RGB888 || surface->w != w ||
        surface->h != h || SDL_MUSTLOCK(surface) || surface->pitch % 4 != 0 ||
        surface->pitch < cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, w))
        return nullptr;
    cairo_surface_t* wrapped = cairo_image_surface_create_for_data(static_cast<unsigned char*>(surface->pixels),
                                                                   CAIRO_FORMAT_RGB24, w, h, surface->pitch);
    if (cairo_surface_status(wrapped) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(wrapped);
        return nullptr;
    }
    return wrapped;
}
} // namespace

bool CSdlWindowBackend::UpdateBacking(HWND hTop)
{
    const int w = std::max(1, hTop->rect.Width());
    const int h = std::max(1, hTop->rect.Height());
    int cxWindow = 0, cyWindow = 0;
    SDL_GetWindowSize(hTop->pSdlWindow, &cxWindow, &cyWindow);
    const bool bWindowFits = cxWindow == w && cyWindow == h;
    SDL_Surface* surface = nullptr;
    if (!(hTop->dwStyle & WS_VISIBLE)) {
        // As on Windows, what is drawn into a hidden window is not kept: it
        // paints when shown. It keeps the window surface it has while that
        // fits, but makes none: its size may still change before it shows,
        // and each new surface is a round trip to the X server.
        if (!hTop->pBacking || (hTop->pBackingWindowSurface && bWindowFits))
            return false;
    }
    const bool bHadBacking = hTop->pBacking != nullptr;
    if (hTop->dwStyle & WS_VISIBLE && bWindowFits) {
        // SDL frees a surface it no longer thinks current when asked for the
        // window's surface, and the new one may take the old one's address:
        // a backing over a surface SDL gave up goes before asking.
        if (hTop->bWindowSurfaceStale && hTop->pBackingWindowSurface)
            DropBacking(hTop);
        hTop->bWindowSurfaceStale = false;
        surface = SDL_GetWindowSurface(hTop->pSdlWindow);
        if (surface && surface == hTop->pBackingWindowSurface &&
            surface->pixels == cairo_image_surface_get_data(hTop->pBacking))
            return false;
    }
    if (hTop->pBackingWindowSurface)
        DropBacking(hTop);
    cairo_surface_t* wrapped = WrapWindowSurface(surface, w, h);
    if (!wrapped && hTop->pBacking && cairo_image_surface_get_width(hTop->pBacking) == w &&
        cairo_image_surface_get_height(hTop->pBacking) == h)
        return false;
    DropBacking(hTop);
    if (wrapped) {
        hTop->pBacking = wrapped;
        hTop->pBackingWindowSurface = surface;
    } else if (hTop->dwStyle & WS_VISIBLE) {
        // A window surface cairo cannot draw into, or not of the window's size yet.
        hTop->pBacking = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    }
    if (!bHadBacking)
        return false;
    // A new backing holds nothing: all that the window showed is drawn again.
    InvalidateTree(hTop);
    return true;
}

cairo_surface_t* CSdlWindowBackend::BackingOf(HWND hWnd)
{
    HWND top = TopLevelOf(hWnd);
    if (!top || !top->pSdlWindow)
        return nullptr;
    UpdateBacking(top);
    return top->pBacking;
}

void CSdlWindowBackend::DropBacking(HWND hTop)
{
    if (!hTop->pBacking)
        return;
    // A context still holding it draws nothing from now on, rather than into
    // pixels SDL has let go of.
    if (hTop->pBackingWindowSurface)
        cairo_surface_finish(hTop->pBacking);
    cairo_surface_destroy(hTop->pBacking);
    hTop->pBacking = nullptr;
    hTop->pBackingWindowSurface = nullptr;
}

void CSdlWindowBackend::InvalidateTree(HWND hWnd)
{
    Invalidate(hWnd, nullptr, true);
    for (HWND child : hWnd->children)
        if (child->dwStyle & WS_VISIBLE)
            InvalidateTree(child);
}

void CSdlWindowBackend::Present(HWND hTop)
{
    if (!hTop || !hTop->pSdlWindow || !hTop->pBacking || !(hTop->dwStyle & WS_VISIBLE))
        return;
    hTop->bPresentPending = false;
    // A new, empty window surface is painted whole before it is presented.
    if (UpdateBacking(hTop))
        return;
    if (hTop->pBackingWindowSurface) {
        cairo_surface_flush(hTop->pBacking);
        const CRect rcPresent =
            CRect::Intersect(hTop->rcDrawn, CRect(0, 0, cairo_image_surface_get_width(hTop->pBacking),
                                                  cairo_image_surface_get_height(hTop->pBacking)));
        hTop->rcDrawn = CRect();
        if (rcPresent.IsRectEmpty())
            return;
        // Only the part that changed goes to the server: a moving progress bar
        // is a few kilobytes a step instead of the whole window.
        SDL_Rect rc{rcPresent.left, rcPresent.top, rcPresent.Width(), rcPresent.Height()};
        SDL_UpdateWindowSurfaceRects(hTop->pSdlWindow, &rc, 1);
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(hTop->pSdlWindow);
    if (!surface)
        return;
    cairo_surface_flush(hTop->pBacking);
    const int w = std::min(surface->w, cairo_image_surface_get_width(hTop->pBacking));
    const int h = std::min(surface->h, cairo_image_surface_get_height(hTop->pBacking));
    // A new window surface (the first, or one after a resize) holds nothing yet.
    CRect rcPresent =
        surface == hTop->pPresentedTo ? CRect::Intersect(hTop->rcDrawn, CRect(0, 0, w, h)) : CRect(0, 0, w, h);
    hTop->rcDrawn = CRect();
    hTop->pPresentedTo = surface;
    if (rcPresent.IsRectEmpty())
        return;
    const int srcStride = cairo_image_surface_get_stride(hTop->pBacking);
    const unsigned char* src = cairo_image_surface_get_data(hTop->pBacking);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(src), w, h, 32, srcStride,
                                                             SDL_PIXELFORMAT_RGB888);
    if (!source)
        return;
    SDL_Rect rc{rcPresent.left, rcPresent.top, rcPresent.Width(), rcPresent.Height()};
    SDL_BlitSurface(source, &rc, surface, &rc);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurfaceRects(hTop->pSdlWindow, &rc, 1);
}

void CSdlWindowBackend::NoteDrawing(HWND hWnd, const CRect& rcInTop)
{
    HWND top = TopLevelOf(hWnd);
    if (top && !rcInTop.IsRectEmpty())
        top->rcDrawn = CRect::Union(top->rcDrawn, rcInTop);
}

void CSdlWindowBackend::PaintAll()
{
    std::vector<std::pair<HWND, uint64_t>> tops;
    for (HWND top : m_topLevels)
        tops.emplace_back(top, top->nSerial);
    for (const auto& [top, serial] : tops) {
        if (!IsAlive(top, serial))
            continue;
        // Brought up to date before painting, so that a window surface made
        // anew is painted whole in this round.
        if (top->pSdlWindow && (top->dwStyle & WS_VISIBLE))
            UpdateBacking(top);
        PaintTree(top);
        if (IsAlive(top, serial) && top->bPresentPending)
            Present(top);
    }
    ReleaseDrawnPictures();
}

// The Linux backend's invalidation and painting: windows paint into their
// top-level window's backing surface, and only what changed goes to the screen.
#include "framework/linux/SdlWindowBackend.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Wnd.h"

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

void CSdlWindowBackend::Present(HWND hTop)
{
    if (!hTop || !hTop->pSdlWindow || !hTop->pBacking || !(hTop->dwStyle & WS_VISIBLE))
        return;
    hTop->bPresentPending = false;
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
    // Only the part that changed goes to the server: a moving progress bar is
    // a few kilobytes a step instead of the whole window.
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
        PaintTree(top);
        if (IsAlive(top, serial) && top->bPresentPending)
            Present(top);
    }
}

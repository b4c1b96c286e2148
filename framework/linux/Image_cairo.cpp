#include "framework/Image.h"

#include <cstring>

#include <cairo.h>

#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Imaging.h"
#include "framework/linux/GdiTypes.h"

struct CImage::Impl
{
    cairo_surface_t* pSurface = nullptr;   // premultiplied ARGB, null when undecodable
    UINT nWidth = 0;
    UINT nHeight = 0;
};

namespace
{
struct PngReader
{
    const BYTE* pData;
    size_t nSize;
    size_t nPos;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->nSize - reader->nPos < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->pData + reader->nPos, length);
    reader->nPos += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

cairo_surface_t* DecodePng(const BYTE* pData, size_t nSize)
{
    PngReader reader{pData, nSize, 0};
    return cairo_image_surface_create_from_png_stream(ReadPng, &reader);
}

CImage::CImage(std::shared_ptr<const BYTE[]> encoded, size_t nSize) : m_pImpl(std::make_unique<Impl>())
{
    if (!encoded || nSize == 0)
        return;
    // Decoded at once, so the encoded bytes are needed no longer than this.
    cairo_surface_t* surface = DecodePng(encoded.get(), nSize);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    m_pImpl->pSurface = surface;
    m_pImpl->nWidth = static_cast<UINT>(cairo_image_surface_get_width(surface));
    m_pImpl->nHeight = static_cast<UINT>(cairo_image_surface_get_height(surface));
}

CImage::~CImage()
{
    if (m_pImpl->pSurface)
        cairo_surface_destroy(m_pImpl->pSurface);
}

UINT CImage::GetWidth() const { return m_pImpl->nWidth; }
UINT CImage::GetHeight() const { return m_pImpl->nHeight; }
bool CImage::IsDecoded() const { return m_pImpl->pSurface != nullptr; }

BOOL CGraphics::DrawImage(const CImage* pImage, const CRect& dest, int xSrc, int ySrc, int cxSrc, int cySrc)
{
    if (!pImage || !pImage->IsDecoded() || !m_pDC)
        return FALSE;
    HDC hDC = m_pDC->GetSafeHdc();
    if (!hDC || !hDC->pCairo || dest.IsRectEmpty() || cxSrc <= 0 || cySrc <= 0)
        return FALSE;
    cairo_surface_t* image = pImage->GetImpl()->pSurface;
    // Only what lies inside the picture can be drawn.
    const CRect bounds(0, 0, static_cast<LONG>(pImage->GetWidth()), static_cast<LONG>(pImage->GetHeight()));
    if (CRect::Intersect(bounds, CRect(xSrc, ySrc, xSrc + cxSrc, ySrc + cySrc)) != CRect(xSrc, ySrc, xSrc + cxSrc, ySrc + cySrc))
        return FALSE;
    // Drawing from a sub-surface of just the source cell, padded at its edges,
    // keeps neighbouring cells of a strip from bleeding in when scaling.
    cairo_surface_t* cell = cairo_surface_create_for_rectangle(image, xSrc, ySrc, cxSrc, cySrc);
    cairo_t* cr = hDC->pCairo;
    cairo_save(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(cr);
    cairo_translate(cr, dest.left, dest.top);
    cairo_scale(cr, static_cast<double>(dest.Width()) / cxSrc, static_cast<double>(dest.Height()) / cySrc);
    cairo_set_source_surface(cr, cell, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(cell);
    return TRUE;
}

// cairo needs no start-up: every token is valid and shutting one down is a no-op.
ULONG_PTR ImagingStartup()
{
    return 1;
}

void ImagingShutdown(ULONG_PTR)
{
}

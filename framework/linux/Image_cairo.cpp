#include "framework/Image.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>
#include <future>
#include <system_error>

#include <cairo.h>
#include <sys/mman.h>
#include <unistd.h>

#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Imaging.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/ResourceTables.h"

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

// A picture this large (a page's background) takes milliseconds to decode;
// it decodes on a thread of its own while the window is being built.
constexpr size_t DECODE_APART_FROM = 8 * 1024;

cairo_surface_t* DecodeOrNull(const BYTE* pData, size_t nSize)
{
    cairo_surface_t* surface = DecodePng(pData, nSize);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS)
        return surface;
    cairo_surface_destroy(surface);
    return nullptr;
}

// The size a PNG's header gives, without decoding it.
bool PngHeaderSize(const BYTE* pData, size_t nSize, UINT& nWidth, UINT& nHeight)
{
    static const BYTE s_signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (nSize < 24 || std::memcmp(pData, s_signature, sizeof s_signature) != 0 ||
        std::memcmp(pData + 12, "IHDR", 4) != 0)
        return false;
    auto bigEndian = [](const BYTE* p) {
        return (UINT(p[0]) << 24) | (UINT(p[1]) << 16) | (UINT(p[2]) << 8) | UINT(p[3]);
    };
    nWidth = bigEndian(pData + 16);
    nHeight = bigEndian(pData + 20);
    return nWidth > 0 && nHeight > 0;
}
} // namespace

struct CImage::Impl
{
    // Premultiplied ARGB, null when undecodable. Filled by the constructor or,
    // for a large picture, on first use from the decode under way.
    mutable cairo_surface_t* pSurface = nullptr;
    mutable std::future<cairo_surface_t*> pending;
    UINT nWidth = 0;
    UINT nHeight = 0;
    // The built-in pixels the surface reads, when it reads them.
    const DECODED_IMAGE_ENTRY* pBuiltIn = nullptr;

    cairo_surface_t* Surface() const
    {
        if (pending.valid())
            pSurface = pending.get();
        return pSurface;
    }
};

cairo_surface_t* DecodePng(const BYTE* pData, size_t nSize)
{
    PngReader reader{pData, nSize, 0};
    return cairo_image_surface_create_from_png_stream(ReadPng, &reader);
}

CImage::CImage(std::shared_ptr<const BYTE[]> encoded, size_t nSize) : m_pImpl(std::make_unique<Impl>())
{
    if (!encoded || nSize == 0)
        return;
    // The program's own pictures were decoded when it was built. The surface
    // only reads the built-in pixels: images are drawn from, never into.
    if (const DECODED_IMAGE_ENTRY* decoded = FindDecodedImage(encoded.get(), nSize)) {
        cairo_surface_t* surface =
            cairo_image_surface_create_for_data(const_cast<unsigned char*>(decoded->pPixels), CAIRO_FORMAT_ARGB32,
                                                decoded->nWidth, decoded->nHeight, decoded->nStride);
        if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
            m_pImpl->pSurface = surface;
            m_pImpl->pBuiltIn = decoded;
            m_pImpl->nWidth = static_cast<UINT>(decoded->nWidth);
            m_pImpl->nHeight = static_cast<UINT>(decoded->nHeight);
            return;
        }
        cairo_surface_destroy(surface);
    }
    // The header's size stands until the decode is done; a picture that
    // turns out undecodable past its header keeps it and draws nothing.
    if (nSize >= DECODE_APART_FROM && PngHeaderSize(encoded.get(), nSize, m_pImpl->nWidth, m_pImpl->nHeight)) {
        try {
            m_pImpl->pending =
                std::async(std::launch::async, [encoded, nSize] { return DecodeOrNull(encoded.get(), nSize); });
            return;
        } catch (const std::system_error&) {
            // No thread to be had: decoded here and now instead.
        }
    }
    // Decoded at once, so the encoded bytes are needed no longer than this.
    cairo_surface_t* surface = DecodeOrNull(encoded.get(), nSize);
    if (!surface)
        return;
    m_pImpl->pSurface = surface;
    m_pImpl->nWidth = static_cast<UINT>(cairo_image_surface_get_width(surface));
    m_pImpl->nHeight = static_cast<UINT>(cairo_image_surface_get_height(surface));
}

// Built-in pixels stay resident once read, unlike a decoded copy that goes
// back to the heap; a page background no longer shown should not. The pages
// are read-only and backed by the program file, so dropping them only means
// reading them again if the picture comes back.
namespace
{
// Gives back the pages lying wholly inside rows [nRowFirst, nRowEnd).
void ReleaseBuiltInRows(const DECODED_IMAGE_ENTRY& entry, int nRowFirst, int nRowEnd)
{
    const auto nPage = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto nPixels = reinterpret_cast<uintptr_t>(entry.pPixels);
    const auto nStride = static_cast<uintptr_t>(entry.nStride);
    const uintptr_t nBegin = nPixels + nStride * static_cast<uintptr_t>(nRowFirst);
    const uintptr_t nEnd = nPixels + nStride * static_cast<uintptr_t>(nRowEnd);
    const uintptr_t nFirst = (nBegin + nPage - 1) / nPage * nPage;
    const uintptr_t nLast = nEnd / nPage * nPage;
    if (nLast > nFirst)
        madvise(reinterpret_cast<void*>(nFirst), nLast - nFirst, MADV_DONTNEED);
}

void ReleaseBuiltInPages(const DECODED_IMAGE_ENTRY& entry)
{
    ReleaseBuiltInRows(entry, 0, entry.nHeight);
}

// A page's background is read whole once, when the page first paints; what
// repaints later (a moving progress bar, a hovered button) reads a strip of
// it. So a large built-in picture drawn whole or nearly gives its pages back
// once drawn; a strip read for a small repaint stays, so that the next one
// does not read it again.
constexpr size_t RELEASE_AFTER_PAINT_FROM = 256 * 1024;

// Whether drawing the source cell into dest reads most of a large built-in
// picture: only what the clip lets through is read.
bool IsLargeReadWhole(cairo_t* cr, const DECODED_IMAGE_ENTRY* pEntry, const CRect& dest, int cxSrc, int cySrc)
{
    if (!pEntry || static_cast<size_t>(pEntry->nStride) * static_cast<size_t>(pEntry->nHeight) < RELEASE_AFTER_PAINT_FROM)
        return false;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const CRect visible = CRect::Intersect(dest, CRect(static_cast<LONG>(x1), static_cast<LONG>(y1),
                                                       static_cast<LONG>(x2 + 0.999), static_cast<LONG>(y2 + 0.999)));
    if (visible.IsRectEmpty())
        return false;
    const double fRead = static_cast<double>(cxSrc) * cySrc * visible.Width() * visible.Height() /
                         (static_cast<double>(dest.Width()) * dest.Height());
    return fRead * 2 >= static_cast<double>(pEntry->nWidth) * pEntry->nHeight;
}

std::mutex g_drawnMutex;
std::vector<const DECODED_IMAGE_ENTRY*> g_drawnLargePictures;

// A picture drawn scaled is read whole in one paint; its pages go back
// after the round of painting.
void NoteDrawn(const DECODED_IMAGE_ENTRY* pEntry)
{
    std::lock_guard<std::mutex> lock(g_drawnMutex);
    if (std::find(g_drawnLargePictures.begin(), g_drawnLargePictures.end(), pEntry) == g_drawnLargePictures.end())
        g_drawnLargePictures.push_back(pEntry);
}

// Draws the source cell's pixels into dest, scaled to fit.
void PaintCell(cairo_t* cr, cairo_surface_t* image, const CRect& dest, int xSrc, int ySrc, int cxSrc, int cySrc)
{
    // Drawing from a sub-surface of just the source cell, padded at its edges,
    // keeps neighbouring cells of a strip from bleeding in when scaling.
    cairo_surface_t* cell = cairo_surface_create_for_rectangle(image, xSrc, ySrc, cxSrc, cySrc);
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
}

// Copied one to one, a large built-in picture goes in bands of rows, each
// band's pages given back before the next is read: a whole background then
// never needs to be resident at once.
constexpr size_t BAND_BYTES = 64 * 1024;

void CopyInBands(cairo_t* cr, cairo_surface_t* image, const DECODED_IMAGE_ENTRY& entry, const CRect& dest, int xSrc,
                 int ySrc, int cxSrc, int cySrc)
{
    const int nBandRows = std::max(1, static_cast<int>(BAND_BYTES / static_cast<size_t>(entry.nStride)));
    for (int y = 0; y < cySrc; y += nBandRows) {
        const int cy = std::min(nBandRows, cySrc - y);
        PaintCell(cr, image, CRect(dest.left, dest.top + y, dest.right, dest.top + y + cy), xSrc, ySrc + y, cxSrc, cy);
        ReleaseBuiltInRows(entry, ySrc, ySrc + y + cy);
    }
}
} // namespace

void ReleaseDrawnPictures()
{
    std::vector<const DECODED_IMAGE_ENTRY*> drawn;
    {
        std::lock_guard<std::mutex> lock(g_drawnMutex);
        drawn.swap(g_drawnLargePictures);
    }
    for (const DECODED_IMAGE_ENTRY* pEntry : drawn)
        ReleaseBuiltInPages(*pEntry);
}

CImage::~CImage()
{
    if (cairo_surface_t* surface = m_pImpl->Surface())
        cairo_surface_destroy(surface);
    if (m_pImpl->pBuiltIn)
        ReleaseBuiltInPages(*m_pImpl->pBuiltIn);
}

UINT CImage::GetWidth() const
{
    return m_pImpl->nWidth;
}
UINT CImage::GetHeight() const
{
    return m_pImpl->nHeight;
}
bool CImage::IsDecoded() const
{
    return m_pImpl->Surface() != nullptr;
}

BOOL CGraphics::DrawImage(const CImage* pImage, const CRect& dest, int xSrc, int ySrc, int cxSrc, int cySrc)
{
    if (!pImage || !pImage->IsDecoded() || !m_pDC)
        return FALSE;
    HDC hDC = m_pDC->GetSafeHdc();
    if (!hDC || !hDC->pCairo || dest.IsRectEmpty() || cxSrc <= 0 || cySrc <= 0)
        return FALSE;
    cairo_surface_t* image = pImage->GetImpl()->Surface();
    // Only what lies inside the picture can be drawn.
    const CRect bounds(0, 0, static_cast<LONG>(pImage->GetWidth()), static_cast<LONG>(pImage->GetHeight()));
    if (CRect::Intersect(bounds, CRect(xSrc, ySrc, xSrc + cxSrc, ySrc + cySrc)) !=
        CRect(xSrc, ySrc, xSrc + cxSrc, ySrc + cySrc))
        return FALSE;
    cairo_t* cr = hDC->pCairo;
    const DECODED_IMAGE_ENTRY* pBuiltIn = pImage->GetImpl()->pBuiltIn;
    if (!IsLargeReadWhole(cr, pBuiltIn, dest, cxSrc, cySrc)) {
        PaintCell(cr, image, dest, xSrc, ySrc, cxSrc, cySrc);
    } else if (dest.Width() == cxSrc && dest.Height() == cySrc) {
        CopyInBands(cr, image, *pBuiltIn, dest, xSrc, ySrc, cxSrc, cySrc);
    } else {
        PaintCell(cr, image, dest, xSrc, ySrc, cxSrc, cySrc);
        NoteDrawn(pBuiltIn);
    }
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

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
void ReleaseBuiltInPages(const DECODED_IMAGE_ENTRY& entry)
{
    const auto nPage = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto nBegin = reinterpret_cast<uintptr_t>(entry.pPixels);
    const uintptr_t nEnd = nBegin + static_cast<uintptr_t>(entry.nStride) * static_cast<uintptr_t>(entry.nHeight);
    const uintptr_t nFirst = (nBegin + nPage - 1) / nPage * nPage;
    const uintptr_t nLast = nEnd / nPage * nPage;
    if (nLast > nFirst)
        madvise(reinterpret_cast<void*>(nFirst), nLast - nFirst, MADV_DONTNEED);
}

// A page's background is read whole once, when the page first paints; what
// repaints later (a moving progress bar, a hovered button) reads a strip of
// it. So a large built-in picture drawn whole or nearly gives its pages back
// after that round of painting; a strip read for a small repaint stays, so
// that the next one does not read it again.
constexpr size_t RELEASE_AFTER_PAINT_FROM = 256 * 1024;

std::mutex g_drawnMutex;
std::vector<const DECODED_IMAGE_ENTRY*> g_drawnLargePictures;

void NoteDrawn(const DECODED_IMAGE_ENTRY* pEntry, int cxDrawn, int cyDrawn)
{
    if (!pEntry ||
        static_cast<size_t>(pEntry->nStride) * static_cast<size_t>(pEntry->nHeight) < RELEASE_AFTER_PAINT_FROM ||
        static_cast<int64_t>(cxDrawn) * cyDrawn * 2 < static_cast<int64_t>(pEntry->nWidth) * pEntry->nHeight)
        return;
    std::lock_guard<std::mutex> lock(g_drawnMutex);
    if (std::find(g_drawnLargePictures.begin(), g_drawnLargePictures.end(), pEntry) == g_drawnLargePictures.end())
        g_drawnLargePictures.push_back(pEntry);
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
    NoteDrawn(pImage->GetImpl()->pBuiltIn, cxSrc, cySrc);
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

#include "framework/Image.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <vector>

#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Imaging.h"
#include "framework/win32/ImageFiles.h"

namespace Gp = Gdiplus::DllExports;

struct CImage::Impl
{
    std::shared_ptr<const BYTE[]> pEncoded;
    ULONG_PTR nToken = 0;                 // the image library stays up while the image lives
    IStream* pStream = nullptr;           // GDI+ may read the picture from it until disposal
    Gdiplus::GpBitmap* pBitmap = nullptr; // null when undecodable
    UINT nWidth = 0;
    UINT nHeight = 0;
};

namespace
{
// A cell of a larger picture, as a picture of its own, so that scaling it
// samples nothing from beyond its edges.
class CCell
{
public:
    CCell(Gdiplus::GpBitmap* pBitmap, int x, int y, int cx, int cy, bool bWhole)
    {
        if (bWhole)
            m_pImage = pBitmap;
        else if (Gp::GdipCloneBitmapAreaI(x, y, cx, cy, PixelFormat32bppPARGB, pBitmap, &m_pClone) == Gdiplus::Ok)
            m_pImage = m_pClone;
    }
    ~CCell()
    {
        if (m_pClone)
            Gp::GdipDisposeImage(m_pClone);
    }
    CCell(const CCell&) = delete;
    CCell& operator=(const CCell&) = delete;
    Gdiplus::GpImage* Get() const { return m_pImage; }

private:
    Gdiplus::GpBitmap* m_pClone = nullptr;
    Gdiplus::GpImage* m_pImage = nullptr;
};
} // namespace

CImage::CImage(std::shared_ptr<const BYTE[]> encoded, size_t nSize) : m_pImpl(std::make_unique<Impl>())
{
    if (!encoded || nSize == 0 || nSize > 0x7FFFFFFF)
        return;
    m_pImpl->nToken = ImagingStartup();
    if (!m_pImpl->nToken)
        return;
    m_pImpl->pEncoded = std::move(encoded);
    m_pImpl->pStream = SHCreateMemStream(m_pImpl->pEncoded.get(), static_cast<UINT>(nSize));
    if (!m_pImpl->pStream)
        return;
    Gdiplus::GpBitmap* pBitmap = nullptr;
    if (Gp::GdipCreateBitmapFromStream(m_pImpl->pStream, &pBitmap) != Gdiplus::Ok || !pBitmap)
        return;
    UINT w = 0;
    UINT h = 0;
    if (Gp::GdipGetImageWidth(pBitmap, &w) != Gdiplus::Ok || Gp::GdipGetImageHeight(pBitmap, &h) != Gdiplus::Ok ||
        w == 0 || h == 0) {
        Gp::GdipDisposeImage(pBitmap);
        return;
    }
    m_pImpl->pBitmap = pBitmap;
    m_pImpl->nWidth = w;
    m_pImpl->nHeight = h;
}

CImage::~CImage()
{
    if (m_pImpl->pBitmap)
        Gp::GdipDisposeImage(m_pImpl->pBitmap);
    if (m_pImpl->pStream)
        m_pImpl->pStream->Release();
    if (m_pImpl->nToken)
        ImagingShutdown(m_pImpl->nToken);
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
    return m_pImpl->pBitmap != nullptr;
}

BOOL CGraphics::DrawImage(const CImage* pImage, const CRect& dest, int xSrc, int ySrc, int cxSrc, int cySrc)
{
    if (!pImage || !pImage->IsDecoded() || !m_pDC || !m_pDC->GetSafeHdc())
        return FALSE;
    if (dest.IsRectEmpty() || cxSrc <= 0 || cySrc <= 0)
        return FALSE;
    // Only what lies inside the picture can be drawn.
    const CImage::Impl* pImpl = pImage->GetImpl();
    const CRect bounds(0, 0, static_cast<LONG>(pImpl->nWidth), static_cast<LONG>(pImpl->nHeight));
    const CRect source(xSrc, ySrc, xSrc + cxSrc, ySrc + cySrc);
    if (CRect::Intersect(bounds, source) != source)
        return FALSE;

    const CCell cell(pImpl->pBitmap, xSrc, ySrc, cxSrc, cySrc, source == bounds);
    if (!cell.Get())
        return FALSE;
    Gdiplus::GpGraphics* pGraphics = nullptr;
    if (Gp::GdipCreateFromHDC(m_pDC->GetSafeHdc(), &pGraphics) != Gdiplus::Ok)
        return FALSE;
    const bool bOneToOne = dest.Width() == cxSrc && dest.Height() == cySrc;
    // A one-to-one copy stays exact; a scaled one is bilinear with pixel
    // centres mapped onto pixel centres, and its edge pixels are repeated
    // outwards rather than faded into nothing.
    Gp::GdipSetInterpolationMode(pGraphics, bOneToOne ? Gdiplus::InterpolationModeNearestNeighbor
                                                      : Gdiplus::InterpolationModeBilinear);
    Gp::GdipSetPixelOffsetMode(pGraphics, Gdiplus::PixelOffsetModeHalf);
    Gdiplus::GpImageAttributes* pAttributes = nullptr;
    if (!bOneToOne && Gp::GdipCreateImageAttributes(&pAttributes) == Gdiplus::Ok)
        Gp::GdipSetImageAttributesWrapMode(pAttributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
    const Gdiplus::GpStatus status =
        Gp::GdipDrawImageRectRectI(pGraphics, cell.Get(), dest.left, dest.top, dest.Width(), dest.Height(), 0, 0, cxSrc,
                                   cySrc, Gdiplus::UnitPixel, pAttributes, nullptr, nullptr);
    if (pAttributes)
        Gp::GdipDisposeImageAttributes(pAttributes);
    Gp::GdipDeleteGraphics(pGraphics);
    return status == Gdiplus::Ok;
}

ULONG_PTR ImagingStartup()
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR nToken = 0;
    if (Gdiplus::GdiplusStartup(&nToken, &input, nullptr) != Gdiplus::Ok)
        return 0;
    return nToken;
}

void ImagingShutdown(ULONG_PTR token)
{
    if (token)
        Gdiplus::GdiplusShutdown(token);
}

bool SavePixelsAsPng(const std::vector<uint32_t>& pixels, int width, int height, const std::wstring& path)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height)
        return false;
    const ULONG_PTR nToken = ImagingStartup();
    if (!nToken)
        return false;
    bool bSaved = false;
    // The encoder for "image/png" among those the system has.
    UINT nCount = 0;
    UINT nBytes = 0;
    CLSID clsidPng{};
    bool bFound = false;
    if (Gp::GdipGetImageEncodersSize(&nCount, &nBytes) == Gdiplus::Ok && nBytes > 0) {
        std::vector<BYTE> buffer(nBytes);
        auto* pCodecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        if (Gp::GdipGetImageEncoders(nCount, nBytes, pCodecs) == Gdiplus::Ok) {
            for (UINT i = 0; i < nCount && !bFound; ++i) {
                if (pCodecs[i].MimeType && lstrcmpiW(pCodecs[i].MimeType, L"image/png") == 0) {
                    clsidPng = pCodecs[i].Clsid;
                    bFound = true;
                }
            }
        }
    }
    Gdiplus::GpBitmap* pBitmap = nullptr;
    if (bFound && Gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                                const_cast<BYTE*>(reinterpret_cast<const BYTE*>(pixels.data())),
                                                &pBitmap) == Gdiplus::Ok) {
        bSaved = Gp::GdipSaveImageToFile(pBitmap, path.c_str(), &clsidPng, nullptr) == Gdiplus::Ok;
        Gp::GdipDisposeImage(pBitmap);
    }
    ImagingShutdown(nToken);
    return bSaved;
}

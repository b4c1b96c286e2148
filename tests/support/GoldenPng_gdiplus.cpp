#include "support/GoldenPng.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace Gp = Gdiplus::DllExports;

namespace
{
// GDI+ for the length of one file operation.
class CGdiplusSession
{
public:
    CGdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&m_nToken, &input, nullptr) != Gdiplus::Ok)
            m_nToken = 0;
    }
    ~CGdiplusSession()
    {
        if (m_nToken)
            Gdiplus::GdiplusShutdown(m_nToken);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    bool IsUp() const { return m_nToken != 0; }

private:
    ULONG_PTR m_nToken = 0;
};

bool FindPngEncoder(CLSID& clsid)
{
    UINT nCount = 0;
    UINT nBytes = 0;
    if (Gp::GdipGetImageEncodersSize(&nCount, &nBytes) != Gdiplus::Ok || nBytes == 0)
        return false;
    std::vector<BYTE> buffer(nBytes);
    auto* pCodecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gp::GdipGetImageEncoders(nCount, nBytes, pCodecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < nCount; ++i) {
        if (pCodecs[i].MimeType && lstrcmpiW(pCodecs[i].MimeType, L"image/png") == 0) {
            clsid = pCodecs[i].Clsid;
            return true;
        }
    }
    return false;
}
} // namespace

bool ReadPng(const std::filesystem::path& path, std::vector<uint32_t>& pixels, int& width, int& height)
{
    CGdiplusSession session;
    if (!session.IsUp())
        return false;
    Gdiplus::GpBitmap* pBitmap = nullptr;
    if (Gp::GdipCreateBitmapFromFile(path.c_str(), &pBitmap) != Gdiplus::Ok || !pBitmap)
        return false;
    UINT w = 0;
    UINT h = 0;
    bool bRead = false;
    if (Gp::GdipGetImageWidth(pBitmap, &w) == Gdiplus::Ok && Gp::GdipGetImageHeight(pBitmap, &h) == Gdiplus::Ok &&
        w > 0 && h > 0) {
        // Locked as 32-bit RGB whatever the file holds: exactly 0x??RRGGBB per pixel.
        const Gdiplus::GpRect rc(0, 0, static_cast<INT>(w), static_cast<INT>(h));
        Gdiplus::BitmapData data{};
        if (Gp::GdipBitmapLockBits(pBitmap, &rc, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) ==
            Gdiplus::Ok) {
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            pixels.resize(static_cast<size_t>(w) * h);
            for (UINT y = 0; y < h; ++y) {
                const auto* pRow = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                                     static_cast<ptrdiff_t>(y) * data.Stride);
                for (UINT x = 0; x < w; ++x)
                    pixels[static_cast<size_t>(y) * w + x] = pRow[x] & 0xFFFFFF;
            }
            Gp::GdipBitmapUnlockBits(pBitmap, &data);
            bRead = true;
        }
    }
    Gp::GdipDisposeImage(pBitmap);
    return bRead;
}

bool WritePng(const std::filesystem::path& path, const std::vector<uint32_t>& pixels, int width, int height)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height)
        return false;
    CGdiplusSession session;
    CLSID clsid{};
    if (!session.IsUp() || !FindPngEncoder(clsid))
        return false;
    // GDI+ reads the pixels in place; the vector outlives the bitmap.
    Gdiplus::GpBitmap* pBitmap = nullptr;
    if (Gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                      const_cast<BYTE*>(reinterpret_cast<const BYTE*>(pixels.data())),
                                      &pBitmap) != Gdiplus::Ok)
        return false;
    const bool bWritten = Gp::GdipSaveImageToFile(pBitmap, path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
    Gp::GdipDisposeImage(pBitmap);
    return bWritten;
}

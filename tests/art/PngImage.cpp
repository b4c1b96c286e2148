#include "PngImage.h"

#include <cairo.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

CPngImage::CPngImage(const std::filesystem::path& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    // Signature, then IHDR: length, type, width, height, depth, colour type.
    if (bytes.size() < 33 || bytes[1] != 'P' || bytes[12] != 'I' || bytes[15] != 'R') {
        m_strError = "not a PNG file: " + path.string();
        return;
    }
    m_nBitDepth = bytes[24];
    m_nColourType = bytes[25];

    cairo_surface_t* pSurface = cairo_image_surface_create_from_png(path.string().c_str());
    if (cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
        m_strError = "cannot decode " + path.string();
        cairo_surface_destroy(pSurface);
        return;
    }
    const int w = cairo_image_surface_get_width(pSurface);
    const int h = cairo_image_surface_get_height(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    const bool bAlpha = cairo_image_surface_get_format(pSurface) == CAIRO_FORMAT_ARGB32;
    const unsigned char* pData = cairo_image_surface_get_data(pSurface);
    m_vecPixels.reserve(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* pRow = reinterpret_cast<const uint32_t*>(pData + static_cast<size_t>(y) * nStride);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = pRow[x];
            const int a = bAlpha ? static_cast<int>(v >> 24) : 255;
            int c[3] = {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                        static_cast<int>(v & 0xFF)};
            for (int& n : c)
                n = a == 0 ? 0 : (a == 255 ? n : (n * 255 + a / 2) / a);
            m_vecPixels.push_back({c[0], c[1], c[2], a});
        }
    }
    cairo_surface_destroy(pSurface);
    m_nWidth = w;
    m_nHeight = h;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Pixel DominantOpaqueColour(const CPngImage& image, int x0, int y0, int w, int h)
{
    std::map<std::tuple<int, int, int>, int> counts;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const Pixel p = image.At(x, y);
            if (p.a == 255)
                ++counts[{p.r, p.g, p.b}];
        }
    }
    Pixel best{0, 0, 0, 0};
    int nBest = 0;
    for (const auto& [rgb, n] : counts) {
        if (n > nBest) {
            nBest = n;
            best = {std::get<0>(rgb), std::get<1>(rgb), std::get<2>(rgb), 255};
        }
    }
    return best;
}

bool IsNear(const Pixel& p, int r, int g, int b, int nTolerance)
{
    return std::abs(p.r - r) <= nTolerance && std::abs(p.g - g) <= nTolerance && std::abs(p.b - b) <= nTolerance;
}

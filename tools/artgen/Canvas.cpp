#include "Canvas.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

CCanvas::CCanvas(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight)
{
    m_pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nWidth, nHeight);
    if (cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_pSurface);
        throw std::runtime_error("cannot create a drawing surface");
    }
    m_pCr = cairo_create(m_pSurface);
}

CCanvas::~CCanvas()
{
    Release();
}

CCanvas::CCanvas(CCanvas&& other) noexcept
    : m_pSurface(std::exchange(other.m_pSurface, nullptr)), m_pCr(std::exchange(other.m_pCr, nullptr)),
      m_nWidth(other.m_nWidth), m_nHeight(other.m_nHeight)
{
}

CCanvas& CCanvas::operator=(CCanvas&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pSurface = std::exchange(other.m_pSurface, nullptr);
        m_pCr = std::exchange(other.m_pCr, nullptr);
        m_nWidth = other.m_nWidth;
        m_nHeight = other.m_nHeight;
    }
    return *this;
}

void CCanvas::Release()
{
    if (m_pCr)
        cairo_destroy(m_pCr);
    if (m_pSurface)
        cairo_surface_destroy(m_pSurface);
    m_pCr = nullptr;
    m_pSurface = nullptr;
}

std::vector<uint8_t> CCanvas::ToRgba() const
{
    cairo_surface_flush(m_pSurface);
    const unsigned char* pData = cairo_image_surface_get_data(m_pSurface);
    const int nStride = cairo_image_surface_get_stride(m_pSurface);

    std::vector<uint8_t> vecRgba(static_cast<size_t>(m_nWidth) * m_nHeight * 4);
    size_t nOut = 0;
    for (int y = 0; y < m_nHeight; ++y) {
        // cairo keeps premultiplied ARGB in native-endian 32-bit words.
        const auto* pRow = reinterpret_cast<const uint32_t*>(pData + static_cast<size_t>(y) * nStride);
        for (int x = 0; x < m_nWidth; ++x) {
            const uint32_t nPixel = pRow[x];
            const uint32_t a = nPixel >> 24;
            uint32_t rgb[3] = {(nPixel >> 16) & 0xFF, (nPixel >> 8) & 0xFF, nPixel & 0xFF};
            for (uint32_t& c : rgb) {
                if (a == 0)
                    c = 0;
                else if (a < 255)
                    c = std::min<uint32_t>(255, (c * 255 + a / 2) / a);
            }
            vecRgba[nOut++] = static_cast<uint8_t>(rgb[0]);
            vecRgba[nOut++] = static_cast<uint8_t>(rgb[1]);
            vecRgba[nOut++] = static_cast<uint8_t>(rgb[2]);
            vecRgba[nOut++] = static_cast<uint8_t>(a);
        }
    }
    return vecRgba;
}

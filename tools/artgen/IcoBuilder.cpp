#include "IcoBuilder.h"

#include "PngEncoder.h"

#include <stdexcept>

namespace
{

void PutU16(std::vector<uint8_t>& out, uint32_t n)
{
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t n)
{
    PutU16(out, n & 0xFFFF);
    PutU16(out, n >> 16);
}

} // namespace

void CIcoBuilder::AddImage(int nSize, const std::vector<uint8_t>& rgba)
{
    if (nSize < 1 || nSize > 256 || rgba.size() != static_cast<size_t>(nSize) * nSize * 4)
        throw std::invalid_argument("icon image has the wrong size");
    if (nSize >= PNG_MIN_SIZE) {
        m_vecEntries.push_back({nSize, CPngEncoder::Encode(nSize, nSize, rgba)});
        return;
    }

    const uint32_t nSide = static_cast<uint32_t>(nSize);
    const uint32_t nMaskStride = ((nSide + 31) / 32) * 4; // 1 bit a pixel, rows padded to 32 bits
    const uint32_t nColourBytes = nSide * nSide * 4;
    const uint32_t nMaskBytes = nMaskStride * nSide;

    std::vector<uint8_t> bmp;
    bmp.reserve(40 + nColourBytes + nMaskBytes);
    // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
    PutU32(bmp, 40);
    PutU32(bmp, nSide);
    PutU32(bmp, nSide * 2);
    PutU16(bmp, 1);  // planes
    PutU16(bmp, 32); // bits per pixel
    PutU32(bmp, 0);  // BI_RGB
    PutU32(bmp, nColourBytes + nMaskBytes);
    PutU32(bmp, 0);
    PutU32(bmp, 0);
    PutU32(bmp, 0);
    PutU32(bmp, 0);

    // Bitmap rows run bottom-up.
    for (uint32_t y = nSide; y-- > 0;) {
        for (uint32_t x = 0; x < nSide; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * nSide + x) * 4];
            bmp.push_back(p[2]);
            bmp.push_back(p[1]);
            bmp.push_back(p[0]);
            bmp.push_back(p[3]);
        }
    }
    // The AND mask marks fully transparent pixels for loaders that ignore alpha.
    for (uint32_t y = nSide; y-- > 0;) {
        std::vector<uint8_t> row(nMaskStride, 0);
        for (uint32_t x = 0; x < nSide; ++x) {
            if (rgba[(static_cast<size_t>(y) * nSide + x) * 4 + 3] == 0)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        bmp.insert(bmp.end(), row.begin(), row.end());
    }
    m_vecEntries.push_back({nSize, std::move(bmp)});
}

std::vector<uint8_t> CIcoBuilder::Build() const
{
    std::vector<uint8_t> ico;
    PutU16(ico, 0); // reserved
    PutU16(ico, 1); // type: icon
    PutU16(ico, static_cast<uint32_t>(m_vecEntries.size()));

    uint32_t nOffset = 6 + 16 * static_cast<uint32_t>(m_vecEntries.size());
    for (const Entry& entry : m_vecEntries) {
        const uint8_t nSideByte = entry.nSize == 256 ? 0 : static_cast<uint8_t>(entry.nSize);
        ico.push_back(nSideByte); // width
        ico.push_back(nSideByte); // height
        ico.push_back(0);         // no palette
        ico.push_back(0);         // reserved
        PutU16(ico, 1);           // planes
        PutU16(ico, 32);          // bits per pixel
        PutU32(ico, static_cast<uint32_t>(entry.bitmap.size()));
        PutU32(ico, nOffset);
        nOffset += static_cast<uint32_t>(entry.bitmap.size());
    }
    for (const Entry& entry : m_vecEntries)
        ico.insert(ico.end(), entry.bitmap.begin(), entry.bitmap.end());
    return ico;
}

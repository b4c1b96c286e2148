#include "PngEncoder.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace
{

void PutU32(std::vector<uint8_t>& out, uint32_t n)
{
    out.push_back(static_cast<uint8_t>(n >> 24));
    out.push_back(static_cast<uint8_t>(n >> 16));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(n));
}

void PutChunk(std::vector<uint8_t>& out, std::string_view szType, const std::vector<uint8_t>& data)
{
    PutU32(out, static_cast<uint32_t>(data.size()));
    const size_t nTypeAt = out.size();
    out.insert(out.end(), szType.begin(), szType.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong nCrc = crc32(0L, Z_NULL, 0);
    nCrc = crc32(nCrc, out.data() + nTypeAt, static_cast<uInt>(out.size() - nTypeAt));
    PutU32(out, static_cast<uint32_t>(nCrc));
}

uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Filters one row with each of the five PNG filters and keeps the one with the
// smallest sum of absolute residuals, the usual heuristic for good compression.
void FilterRow(const uint8_t* pRow, const uint8_t* pPrev, size_t nBytes, std::vector<uint8_t>& out)
{
    constexpr size_t BPP = 4;
    std::array<std::vector<uint8_t>, 5> candidates;
    size_t nBest = 0;
    uint64_t nBestScore = UINT64_MAX;
    for (size_t f = 0; f < candidates.size(); ++f)
    {
        std::vector<uint8_t>& row = candidates[f];
        row.resize(nBytes);
        uint64_t nScore = 0;
        for (size_t i = 0; i < nBytes; ++i)
        {
            const int a = i >= BPP ? pRow[i - BPP] : 0;
            const int b = pPrev ? pPrev[i] : 0;
            const int c = (pPrev && i >= BPP) ? pPrev[i - BPP] : 0;
            int nPredict = 0;
            switch (f)
            {
            case 1: nPredict = a; break;
            case 2: nPredict = b; break;
            case 3: nPredict = (a + b) / 2; break;
            case 4: nPredict = Paeth(a, b, c); break;
            default: break;
            }
            row[i] = static_cast<uint8_t>(pRow[i] - nPredict);
            nScore += static_cast<uint64_t>(std::abs(static_cast<int8_t>(row[i])));
        }
        if (nScore < nBestScore)
        {
            nBestScore = nScore;
            nBest = f;
        }
    }
    out.push_back(static_cast<uint8_t>(nBest));
    out.insert(out.end(), candidates[nBest].begin(), candidates[nBest].end());
}

} // namespace

std::vector<uint8_t> CPngEncoder::Encode(int nWidth, int nHeight, const std::vector<uint8_t>& rgba)
{
    if (nWidth <= 0 || nHeight <= 0 || rgba.size() != static_cast<size_t>(nWidth) * nHeight * 4)
        throw std::invalid_argument("pixel buffer does not match the image size");

    const size_t nRowBytes = static_cast<size_t>(nWidth) * 4;
    std::vector<uint8_t> filtered;
    filtered.reserve((nRowBytes + 1) * nHeight);
    for (int y = 0; y < nHeight; ++y)
    {
        const uint8_t* pRow = rgba.data() + nRowBytes * y;
        const uint8_t* pPrev = y > 0 ? pRow - nRowBytes : nullptr;
        FilterRow(pRow, pPrev, nRowBytes, filtered);
    }

    uLongf nPackedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> packed(nPackedSize);
    if (compress2(packed.data(), &nPackedSize, filtered.data(), static_cast<uLong>(filtered.size()), 9) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    packed.resize(nPackedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32(header, static_cast<uint32_t>(nWidth));
    PutU32(header, static_cast<uint32_t>(nHeight));
    header.push_back(8); // bits per channel
    header.push_back(6); // colour type: RGB with alpha
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // not interlaced
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

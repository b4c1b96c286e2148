#include "PngEncoder.h"

#include <zlib.h>
#include <zopfli/zopfli.h>

#include <algorithm>
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

constexpr size_t BPP = 4;

// The row filtered with filter f (0 to 4), its filter byte first.
void FilterRowWith(size_t f, const uint8_t* pRow, const uint8_t* pPrev, size_t nBytes, uint8_t* pOut)
{
    pOut[0] = static_cast<uint8_t>(f);
    for (size_t i = 0; i < nBytes; ++i) {
        const int a = i >= BPP ? pRow[i - BPP] : 0;
        const int b = pPrev ? pPrev[i] : 0;
        const int c = (pPrev && i >= BPP) ? pPrev[i - BPP] : 0;
        int nPredict = 0;
        switch (f) {
        case 1:
            nPredict = a;
            break;
        case 2:
            nPredict = b;
            break;
        case 3:
            nPredict = (a + b) / 2;
            break;
        case 4:
            nPredict = Paeth(a, b, c);
            break;
        default:
            break;
        }
        pOut[1 + i] = static_cast<uint8_t>(pRow[i] - nPredict);
    }
}

uint64_t ResidualSum(const uint8_t* pFiltered, size_t nBytes)
{
    uint64_t nScore = 0;
    for (size_t i = 1; i <= nBytes; ++i)
        nScore += static_cast<uint64_t>(std::abs(static_cast<int8_t>(pFiltered[i])));
    return nScore;
}

// nFilter 0 to 4 filters every row alike; ADAPTIVE picks, row by row, the
// filter with the smallest sum of absolute residuals.
constexpr int ADAPTIVE = 5;

std::vector<uint8_t> FilterImage(int nFilter, const std::vector<uint8_t>& rgba, size_t nRowBytes, int nHeight)
{
    std::vector<uint8_t> filtered((nRowBytes + 1) * nHeight);
    std::vector<uint8_t> candidate(nRowBytes + 1);
    for (int y = 0; y < nHeight; ++y) {
        const uint8_t* pRow = rgba.data() + nRowBytes * y;
        const uint8_t* pPrev = y > 0 ? pRow - nRowBytes : nullptr;
        uint8_t* pOut = filtered.data() + (nRowBytes + 1) * y;
        if (nFilter != ADAPTIVE) {
            FilterRowWith(static_cast<size_t>(nFilter), pRow, pPrev, nRowBytes, pOut);
            continue;
        }
        uint64_t nBestScore = UINT64_MAX;
        for (size_t f = 0; f < 5; ++f) {
            FilterRowWith(f, pRow, pPrev, nRowBytes, candidate.data());
            const uint64_t nScore = ResidualSum(candidate.data(), nRowBytes);
            if (nScore < nBestScore) {
                nBestScore = nScore;
                std::copy(candidate.begin(), candidate.end(), pOut);
            }
        }
    }
    return filtered;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int nStrategy)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15, 9, nStrategy) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    std::vector<uint8_t> packed(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = packed.data();
    stream.avail_out = static_cast<uInt>(packed.size());
    const int nResult = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (nResult != Z_STREAM_END)
        throw std::runtime_error("zlib compression failed");
    return packed;
}

std::vector<uint8_t> ZopfliDeflate(const std::vector<uint8_t>& data)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char* pOut = nullptr;
    size_t nOut = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, data.data(), data.size(), &pOut, &nOut);
    if (!pOut)
        throw std::runtime_error("zopfli compression failed");
    std::vector<uint8_t> packed(pOut, pOut + nOut);
    free(pOut);
    return packed;
}

} // namespace

std::vector<uint8_t> CPngEncoder::Encode(int nWidth, int nHeight, const std::vector<uint8_t>& rgba)
{
    if (nWidth <= 0 || nHeight <= 0 || rgba.size() != static_cast<size_t>(nWidth) * nHeight * 4)
        throw std::invalid_argument("pixel buffer does not match the image size");

    // The skin images are stored inside the program. zlib, quick, finds the
    // filter choice that packs best; zopfli then packs that choice far harder
    // than zlib can. Both depend on the pixels alone, so the bytes still do.
    const size_t nRowBytes = static_cast<size_t>(nWidth) * 4;
    std::vector<uint8_t> bestFiltered;
    size_t nBestSize = SIZE_MAX;
    for (int nFilter = 0; nFilter <= ADAPTIVE; ++nFilter) {
        std::vector<uint8_t> filtered = FilterImage(nFilter, rgba, nRowBytes, nHeight);
        for (int nStrategy : {Z_DEFAULT_STRATEGY, Z_FILTERED}) {
            const size_t nSize = Deflate(filtered, nStrategy).size();
            if (nSize < nBestSize) {
                nBestSize = nSize;
                bestFiltered = filtered;
            }
        }
    }
    const std::vector<uint8_t> packed = ZopfliDeflate(bestFiltered);

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

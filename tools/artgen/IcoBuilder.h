#pragma once

#include <cstdint>
#include <vector>

// Builds a Windows .ico container. Small images are classic 32-bit BGRA
// bitmaps with their AND mask, which every icon loader reads and which the
// small, frequent paths draw without decoding; from PNG_MIN_SIZE up they are
// stored as PNG, which the icon loader has read since Vista and which is a
// fraction of the bitmap's size.
class CIcoBuilder
{
public:
    static constexpr int PNG_MIN_SIZE = 48;

    // rgba: straight alpha, nSize * nSize * 4 bytes, top row first; 1 <= nSize <= 256.
    void AddImage(int nSize, const std::vector<uint8_t>& rgba);
    std::vector<uint8_t> Build() const;

private:
    struct Entry
    {
        int nSize;
        std::vector<uint8_t> bitmap;
    };
    std::vector<Entry> m_vecEntries;
};

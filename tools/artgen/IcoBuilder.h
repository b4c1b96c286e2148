#pragma once

#include <cstdint>
#include <vector>

// Builds a Windows .ico container. Each image is stored as a classic 32-bit
// BGRA bitmap with its AND mask, which every version of the icon loader and
// the resource compiler accept.
class CIcoBuilder
{
public:
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

#pragma once

#include <cstdint>
#include <vector>

// Writes 8-bit RGBA PNG files. cairo's own writer drops the alpha channel of
// fully opaque images, but every skin image must be RGBA, and the bytes must
// depend on nothing but the pixels (no time or text chunks).
class CPngEncoder
{
public:
    // rgba: straight alpha, width * height * 4 bytes, top row first.
    static std::vector<uint8_t> Encode(int nWidth, int nHeight, const std::vector<uint8_t>& rgba);
};

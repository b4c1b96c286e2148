#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

struct Pixel
{
    int r;
    int g;
    int b;
    int a;
};

inline std::ostream& operator<<(std::ostream& os, const Pixel& p)
{
    return os << "rgba(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

// A PNG file read back for inspection: its header fields as stored, and its
// pixels with straight alpha.
class CPngImage
{
public:
    // Empty on failure; Error() then says why.
    explicit CPngImage(const std::filesystem::path& path);

    bool IsLoaded() const { return m_nWidth > 0; }
    const std::string& Error() const { return m_strError; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitDepth() const { return m_nBitDepth; }
    int ColourType() const { return m_nColourType; }
    Pixel At(int x, int y) const { return m_vecPixels[static_cast<size_t>(y) * m_nWidth + x]; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitDepth = 0;
    int m_nColourType = -1;
    std::vector<Pixel> m_vecPixels;
    std::string m_strError;
};

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);

// The colour most fully opaque pixels of the rectangle share; alpha 0 if none is opaque.
Pixel DominantOpaqueColour(const CPngImage& image, int x, int y, int w, int h);

bool IsNear(const Pixel& p, int r, int g, int b, int nTolerance = 3);

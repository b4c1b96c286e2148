// The program icon: one PNG per size and the .ico container that holds them all.
#include "PngImage.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace
{

const std::filesystem::path RES_DIR = ZELQA_RES_DIR;
constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128};
// From this size up the .ico stores PNG, below it 32-bit bitmaps.
constexpr int PNG_MIN_SIZE = 48;
constexpr size_t ICON_COUNT = std::size(ICON_SIZES);

uint32_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return U16(b, at) | (U16(b, at + 2) << 16);
}

} // namespace

TEST(ArtIcon, EachSizeIsASquareRgbaImageWithSoftEdges)
{
    for (int nSize : ICON_SIZES) {
        const CPngImage icon(RES_DIR / "icon" / ("zelqa-" + std::to_string(nSize) + ".png"));
        ASSERT_TRUE(icon.IsLoaded()) << icon.Error();
        EXPECT_EQ(icon.Width(), nSize);
        EXPECT_EQ(icon.Height(), nSize);
        EXPECT_EQ(icon.ColourType(), 6) << nSize;
        EXPECT_EQ(icon.At(0, 0).a, 0) << nSize << ": rounded corner";
        EXPECT_EQ(icon.At(nSize - 1, nSize - 1).a, 0) << nSize;
        EXPECT_EQ(icon.At(nSize / 2, nSize / 2).a, 255) << nSize;
        int nPartial = 0;
        for (int i = 0; i < nSize; ++i)
            nPartial += icon.At(i, i).a > 0 && icon.At(i, i).a < 255;
        EXPECT_GT(nPartial, 0) << nSize << ": edges are anti-aliased";
    }
}

TEST(ArtIcon, IcoHoldsEverySizeAs32BitImagesSmallAsBitmapsLargeAsPng)
{
    const std::vector<uint8_t> ico = ReadFileBytes(RES_DIR / "zelqa.ico");
    ASSERT_GE(ico.size(), 6u + ICON_COUNT * 16);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u) << "type: icon";
    ASSERT_EQ(U16(ico, 4), ICON_COUNT);

    for (size_t i = 0; i < ICON_COUNT; ++i) {
        const size_t e = 6 + 16 * i;
        const int nSize = ICON_SIZES[i];
        SCOPED_TRACE("entry of size " + std::to_string(nSize));
        EXPECT_EQ(ico[e], nSize);
        EXPECT_EQ(ico[e + 1], nSize);
        EXPECT_EQ(U16(ico, e + 4), 1u) << "planes";
        EXPECT_EQ(U16(ico, e + 6), 32u) << "bits per pixel";
        const uint32_t nBytes = U32(ico, e + 8);
        const uint32_t nOffset = U32(ico, e + 12);
        ASSERT_LE(static_cast<size_t>(nOffset) + nBytes, ico.size());

        const std::filesystem::path pathPng = RES_DIR / "icon" / ("zelqa-" + std::to_string(nSize) + ".png");
        if (nSize >= PNG_MIN_SIZE) {
            // The stored image is the RGBA PNG of that size, byte for byte.
            const std::vector<uint8_t> stored(ico.begin() + nOffset, ico.begin() + nOffset + nBytes);
            EXPECT_EQ(stored, ReadFileBytes(pathPng));
            continue;
        }

        // The stored image is a bottom-up BGRA bitmap of the same pixels as the PNG.
        ASSERT_EQ(U32(ico, nOffset), 40u);
        EXPECT_EQ(U32(ico, nOffset + 4), static_cast<uint32_t>(nSize));
        EXPECT_EQ(U32(ico, nOffset + 8), static_cast<uint32_t>(nSize * 2)) << "colour rows plus mask rows";
        EXPECT_EQ(U16(ico, nOffset + 14), 32u);
        const uint32_t nMaskStride = ((nSize + 31) / 32) * 4;
        ASSERT_EQ(nBytes, 40u + nSize * nSize * 4 + nMaskStride * nSize);

        const CPngImage png(pathPng);
        ASSERT_TRUE(png.IsLoaded());
        int nMismatch = 0;
        for (int y = 0; y < nSize; ++y) {
            for (int x = 0; x < nSize; ++x) {
                const size_t p = nOffset + 40 + (static_cast<size_t>(nSize - 1 - y) * nSize + x) * 4;
                const Pixel want = png.At(x, y);
                if (ico[p + 3] != want.a)
                    ++nMismatch;
                else if (want.a == 255 && !IsNear(want, ico[p + 2], ico[p + 1], ico[p], 0))
                    ++nMismatch;
                const bool bMasked =
                    ico[nOffset + 40 + nSize * nSize * 4 + (nSize - 1 - y) * nMaskStride + x / 8] & (0x80 >> (x % 8));
                if (bMasked != (want.a == 0))
                    ++nMismatch;
            }
        }
        EXPECT_EQ(nMismatch, 0);
    }
}

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include <cairo.h>
#include <gtest/gtest.h>

#include "framework/Image.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/ResourceTables.h"

namespace
{
std::vector<const RESOURCE_ENTRY*> PngEntries()
{
    std::vector<const RESOURCE_ENTRY*> entries;
    for (size_t i = 0; i < g_nResourceEntries; ++i) {
        if (std::wcscmp(g_resourceEntries[i].pszType, L"PNG") == 0)
            entries.push_back(&g_resourceEntries[i]);
    }
    return entries;
}
} // namespace

// The built-in pixels stand for a decode at run time, so they must be its
// very bytes, row by row.
TEST(DecodedImages, EveryPngResourceHasItsDecodedPixelsBuiltIn)
{
    const std::vector<const RESOURCE_ENTRY*> entries = PngEntries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(g_nDecodedImages, entries.size());
    for (const RESOURCE_ENTRY* entry : entries) {
        const DECODED_IMAGE_ENTRY* decoded = FindDecodedImage(entry->pData, entry->nSize);
        ASSERT_NE(decoded, nullptr) << entry->nId;
        // Two ids may hold the same bytes; then either's pixels will do.
        cairo_surface_t* surface = DecodePng(entry->pData, entry->nSize);
        ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << entry->nId;
        cairo_surface_flush(surface);
        EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_ARGB32) << entry->nId;
        EXPECT_EQ(decoded->nWidth, cairo_image_surface_get_width(surface)) << entry->nId;
        EXPECT_EQ(decoded->nHeight, cairo_image_surface_get_height(surface)) << entry->nId;
        EXPECT_EQ(decoded->nStride, cairo_image_surface_get_stride(surface)) << entry->nId;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(decoded->pPixels) % 16, 0u) << entry->nId;
        if (decoded->nStride == cairo_image_surface_get_stride(surface) &&
            decoded->nHeight == cairo_image_surface_get_height(surface)) {
            const size_t nBytes = static_cast<size_t>(decoded->nStride) * static_cast<size_t>(decoded->nHeight);
            EXPECT_EQ(std::memcmp(decoded->pPixels, cairo_image_surface_get_data(surface), nBytes), 0)
                << "pixels of " << entry->nId << " differ from a decode";
        }
        cairo_surface_destroy(surface);
    }
}

TEST(DecodedImages, OnlyExactlyTheResourceBytesMatch)
{
    const std::vector<const RESOURCE_ENTRY*> entries = PngEntries();
    ASSERT_FALSE(entries.empty());
    const RESOURCE_ENTRY& entry = *entries.front();
    std::vector<BYTE> bytes(entry.pData, entry.pData + entry.nSize);
    EXPECT_NE(FindDecodedImage(bytes.data(), bytes.size()), nullptr);
    bytes.back() ^= 1;
    EXPECT_EQ(FindDecodedImage(bytes.data(), bytes.size()), nullptr);
    EXPECT_EQ(FindDecodedImage(bytes.data(), bytes.size() - 1), nullptr);
}

// A picture that is not one of the program's own still decodes: an image
// made from a resource's bytes re-encoded differently draws the same size.
TEST(DecodedImages, OtherPngBytesAreStillDecoded)
{
    const std::vector<const RESOURCE_ENTRY*> entries = PngEntries();
    ASSERT_FALSE(entries.empty());
    const RESOURCE_ENTRY& entry = *entries.front();
    cairo_surface_t* surface = DecodePng(entry.pData, entry.nSize);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    std::vector<BYTE> encoded;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<BYTE>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &encoded);
    const int nWidth = cairo_image_surface_get_width(surface);
    const int nHeight = cairo_image_surface_get_height(surface);
    cairo_surface_destroy(surface);
    ASSERT_EQ(FindDecodedImage(encoded.data(), encoded.size()), nullptr) << "re-encoding gave the same bytes";
    std::shared_ptr<BYTE[]> block(new BYTE[encoded.size()]);
    std::memcpy(block.get(), encoded.data(), encoded.size());
    CImage image(block, encoded.size());
    EXPECT_TRUE(image.IsDecoded());
    EXPECT_EQ(image.GetWidth(), static_cast<UINT>(nWidth));
    EXPECT_EQ(image.GetHeight(), static_cast<UINT>(nHeight));
}

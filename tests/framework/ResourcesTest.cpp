#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "controls/PngResource.h"
#include "framework/Resources.h"
#include "res/resource.h"

TEST(PngResources, EveryIdLoadsWithItsSize)
{
    struct Expected
    {
        UINT id, w, h;
    } expected[] = {
        {129, 74, 128},  {130, 28, 56},   {131, 14, 56},   {133, 160, 160}, {134, 520, 10}, {135, 520, 10},
        {136, 600, 400}, {137, 600, 400}, {138, 600, 400}, {139, 14, 56},   {140, 96, 128}, {141, 96, 128},
    };
    for (const Expected& e : expected) {
        std::unique_ptr<CImage> image;
        ASSERT_TRUE(LoadPngResource(e.id, image)) << e.id;
        ASSERT_TRUE(image) << e.id;
        EXPECT_TRUE(image->IsDecoded()) << e.id;
        EXPECT_EQ(image->GetWidth(), e.w) << e.id;
        EXPECT_EQ(image->GetHeight(), e.h) << e.id;
    }
}

TEST(PngResources, BothCloseGlyphsAreTheSameBytes)
{
    const BYTE* a = nullptr;
    const BYTE* b = nullptr;
    size_t na = 0, nb = 0;
    ASSERT_TRUE(FindResourceBytes(L"PNG", IDB_CLOSE, a, na));
    ASSERT_TRUE(FindResourceBytes(L"PNG", IDB_MSGBOX_CLOSE, b, nb));
    ASSERT_EQ(na, nb);
    EXPECT_EQ(std::memcmp(a, b, na), 0);
}

TEST(PngResources, MissingIdFailsAndLeavesThePointer)
{
    std::unique_ptr<CImage> image;
    ASSERT_TRUE(LoadPngResource(IDB_CLOSE, image));
    const CImage* before = image.get();
    EXPECT_FALSE(LoadPngResource(132, image));
    EXPECT_EQ(image.get(), before);
    EXPECT_FALSE(LoadPngResource(9999, image));
    EXPECT_EQ(image.get(), before);
}

TEST(PngResources, OnlyTheLowSixteenBitsOfTheIdCount)
{
    std::unique_ptr<CImage> image;
    ASSERT_TRUE(LoadPngResource(0x10000 | IDB_CLOSE, image));
    EXPECT_EQ(image->GetWidth(), 14u);
}

TEST(PngResources, UndecodableBytesGiveAnEmptyImage)
{
    static const BYTE garbage[] = {1, 2, 3, 4, 5};
    std::shared_ptr<BYTE[]> bytes(new BYTE[sizeof garbage]);
    std::memcpy(bytes.get(), garbage, sizeof garbage);
    CImage image(bytes, sizeof garbage);
    EXPECT_FALSE(image.IsDecoded());
    EXPECT_EQ(image.GetWidth(), 0u);
    EXPECT_EQ(image.GetHeight(), 0u);
}

// The control images: sizes, state colours, soft edges and the check box's
// layout, read back from the checked-in files.
#include "PngImage.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace
{

const std::filesystem::path PNG_DIR = std::filesystem::path(ZELQA_RES_DIR) / "png";

CPngImage LoadId(int nId)
{
    return CPngImage(PNG_DIR / (std::to_string(nId) + ".png"));
}

struct Rgb
{
    int r, g, b;
};

constexpr std::array<Rgb, 4> STATE_COLOURS = {Rgb{113, 138, 185}, Rgb{124, 153, 208}, Rgb{100, 127, 175},
                                              Rgb{209, 214, 227}};

void ExpectDominant(const CPngImage& image, int x, int y, int w, int h, Rgb c, const std::string& szWhat)
{
    const Pixel p = DominantOpaqueColour(image, x, y, w, h);
    EXPECT_TRUE(IsNear(p, c.r, c.g, c.b)) << szWhat << ": dominant colour " << p;
}

int CountPartialAlpha(const CPngImage& image, int x0, int y0, int w, int h)
{
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            n += image.At(x, y).a > 0 && image.At(x, y).a < 255;
    return n;
}

bool HasGreenTick(const CPngImage& image, int x0, int y0)
{
    for (int y = y0; y < y0 + 14; ++y)
        for (int x = x0; x < x0 + 14; ++x)
            if (IsNear(image.At(x, y), 0, 208, 69, 0))
                return true;
    return false;
}

} // namespace

TEST(ArtStrips, EveryImageIsRgbaOfItsSize)
{
    struct Expected
    {
        int nId, w, h;
    };
    const Expected IMAGES[] = {{129, 74, 128},  {130, 28, 56},  {131, 14, 56},   {133, 160, 160},
                               {134, 520, 10},  {135, 520, 10}, {136, 600, 400}, {137, 600, 400},
                               {138, 600, 400}, {139, 14, 56},  {140, 96, 128},  {141, 96, 128}};
    for (const Expected& e : IMAGES) {
        const CPngImage image = LoadId(e.nId);
        ASSERT_TRUE(image.IsLoaded()) << image.Error();
        EXPECT_EQ(image.Width(), e.w) << e.nId;
        EXPECT_EQ(image.Height(), e.h) << e.nId;
        EXPECT_EQ(image.BitDepth(), 8) << e.nId;
        EXPECT_EQ(image.ColourType(), 6) << e.nId << " must carry an alpha channel";
    }
}

TEST(ArtStrips, CellsShowTheirStateColours)
{
    const CPngImage pill = LoadId(133);
    const CPngImage filled = LoadId(140);
    const CPngImage outline = LoadId(141);
    const CPngImage close = LoadId(131);
    const CPngImage change = LoadId(129);
    ASSERT_TRUE(pill.IsLoaded() && filled.IsLoaded() && outline.IsLoaded() && close.IsLoaded() && change.IsLoaded());

    constexpr std::array<Rgb, 4> GLYPHS = {Rgb{105, 130, 183}, Rgb{125, 155, 211}, Rgb{103, 128, 177},
                                           Rgb{211, 216, 227}};
    constexpr std::array<Rgb, 4> CHANGE_FILLS = {Rgb{245, 245, 245}, Rgb{255, 255, 255}, Rgb{240, 240, 240},
                                                 Rgb{229, 229, 229}};
    for (int s = 0; s < 4; ++s) {
        const std::string szState = "state " + std::to_string(s);
        ExpectDominant(pill, 0, s * 40, 160, 40, STATE_COLOURS[s], "133 " + szState);
        ExpectDominant(filled, 0, s * 32, 96, 32, STATE_COLOURS[s], "140 " + szState);
        ExpectDominant(outline, 0, s * 32, 96, 32, s == 1 ? Rgb{240, 245, 255} : STATE_COLOURS[s], "141 " + szState);
        ExpectDominant(close, 0, s * 14, 14, 14, GLYPHS[s], "131 " + szState);
        ExpectDominant(change, 0, s * 32, 74, 32, CHANGE_FILLS[s], "129 " + szState);

        // The outline button's rim is the state colour in every state, hover included.
        EXPECT_TRUE(IsNear(outline.At(48, s * 32), STATE_COLOURS[s].r, STATE_COLOURS[s].g, STATE_COLOURS[s].b))
            << "141 top edge, " << szState << ": " << outline.At(48, s * 32);
        EXPECT_TRUE(IsNear(change.At(0, s * 32 + 16), 209, 209, 209)) << "129 border, " << szState;
        EXPECT_TRUE(IsNear(change.At(73, s * 32 + 16), 209, 209, 209)) << "129 border, " << szState;
    }

    ExpectDominant(LoadId(134), 0, 0, 520, 10, {113, 138, 185}, "134 fill");
    ExpectDominant(LoadId(135), 0, 0, 520, 10, {216, 224, 244}, "135 track");
}

TEST(ArtStrips, RoundedShapesHaveTransparentCornersAndSoftEdges)
{
    const CPngImage pill = LoadId(133);
    ASSERT_TRUE(pill.IsLoaded());
    for (int s = 0; s < 4; ++s) {
        const int y0 = s * 40;
        EXPECT_EQ(pill.At(0, y0).a, 0) << "pill corner, state " << s;
        EXPECT_EQ(pill.At(159, y0 + 39).a, 0) << "pill corner, state " << s;
        EXPECT_EQ(pill.At(80, y0 + 20).a, 255);
        EXPECT_EQ(pill.At(20, y0 + 20).a, 255);
        EXPECT_GT(CountPartialAlpha(pill, 0, y0, 160, 40), 20) << "pill ends must be anti-aliased, state " << s;
        // A cell's shape stays inside it: nothing spills over a cell boundary.
        EXPECT_EQ(pill.At(5, y0).a, 0);
        EXPECT_EQ(pill.At(5, y0 + 39).a, 0);
    }

    for (int nId : {134, 135}) {
        const CPngImage bar = LoadId(nId);
        ASSERT_TRUE(bar.IsLoaded());
        EXPECT_EQ(bar.At(0, 0).a, 0) << nId;
        EXPECT_EQ(bar.At(519, 9).a, 0) << nId;
        EXPECT_EQ(bar.At(260, 5).a, 255) << nId;
        EXPECT_GT(CountPartialAlpha(bar, 0, 0, 10, 10), 4) << nId << " left cap";
        EXPECT_GT(CountPartialAlpha(bar, 510, 0, 10, 10), 4) << nId << " right cap";
    }

    const CPngImage filled = LoadId(140);
    const CPngImage outline = LoadId(141);
    const CPngImage close = LoadId(131);
    ASSERT_TRUE(filled.IsLoaded() && outline.IsLoaded() && close.IsLoaded());
    for (int s = 0; s < 4; ++s) {
        const int y0 = s * 32;
        const int a = filled.At(0, y0).a;
        EXPECT_TRUE(a > 0 && a < 255) << "140 corner softened by a pixel, state " << s << ": " << a;
        EXPECT_EQ(filled.At(0, y0 + 16).a, 255);
        const int b = filled.At(95, y0 + 31).a;
        EXPECT_TRUE(b > 0 && b < 255) << "140 far corner, state " << s << ": " << b;
        if (s != 1) {
            EXPECT_EQ(outline.At(48, y0 + 16).a, 0) << "141 is hollow, state " << s;
        }
        EXPECT_EQ(close.At(0, s * 14).a, 0) << "131 ground, state " << s;
        EXPECT_GT(CountPartialAlpha(close, 0, s * 14, 14, 14), 8) << "131 glyph anti-aliased, state " << s;
    }
}

TEST(ArtStrips, CheckBoxColumnsAndPressedRowSwap)
{
    const CPngImage box = LoadId(130);
    ASSERT_TRUE(box.IsLoaded());
    constexpr Rgb OUTLINE_NORMAL{178, 205, 252};
    constexpr Rgb OUTLINE_HOVER{139, 168, 219};
    constexpr Rgb OUTLINE_DISABLED{209, 214, 227};
    struct Row
    {
        Rgb left, right;
        bool bLeftTicked, bRightTicked;
    };
    // Pressed shows what the click is about to make, so its columns are swapped.
    const Row ROWS[] = {
        {OUTLINE_NORMAL, OUTLINE_NORMAL, false, true},
        {OUTLINE_HOVER, OUTLINE_HOVER, false, true},
        {OUTLINE_NORMAL, OUTLINE_NORMAL, true, false},
        {OUTLINE_DISABLED, OUTLINE_DISABLED, false, false},
    };
    for (int nRow = 0; nRow < 4; ++nRow) {
        const Row& row = ROWS[nRow];
        const int y0 = nRow * 14;
        for (int nCol = 0; nCol < 2; ++nCol) {
            const int x0 = nCol * 14;
            const Rgb c = nCol == 0 ? row.left : row.right;
            const bool bTicked = nCol == 0 ? row.bLeftTicked : row.bRightTicked;
            const std::string szCell = "row " + std::to_string(nRow) + ", column " + std::to_string(nCol);
            for (auto [x, y] :
                 {std::pair{x0, y0 + 7}, std::pair{x0 + 13, y0 + 7}, std::pair{x0 + 7, y0}, std::pair{x0 + 7, y0 + 13}})
                EXPECT_TRUE(IsNear(box.At(x, y), c.r, c.g, c.b)) << szCell << " outline: " << box.At(x, y);
            const int a = box.At(x0, y0).a;
            EXPECT_TRUE(a < 255) << szCell << ": corner is rounded";
            EXPECT_EQ(HasGreenTick(box, x0, y0), bTicked) << szCell;
            // The pressed empty box is opaque white: it is drawn over the tick it replaces.
            const bool bPressedEmpty = nRow == 2 && nCol == 1;
            if (!bTicked && !(nRow == 3 && nCol == 1) && !bPressedEmpty) {
                EXPECT_EQ(box.At(x0 + 7, y0 + 7).a, 0) << szCell << ": empty box is see-through";
            }
            if (bPressedEmpty) {
                EXPECT_TRUE(IsNear(box.At(x0 + 7, y0 + 7), 255, 255, 255, 0)) << szCell << ": covers the tick";
                EXPECT_EQ(box.At(x0 + 7, y0 + 7).a, 255) << szCell;
            }
            if (bTicked) {
                EXPECT_TRUE(IsNear(box.At(x0 + 11, y0 + 10), 255, 255, 255, 0)) << szCell << ": white square";
            }
        }
    }

    // Disabled and checked: the tick is there, in grey, on white.
    bool bGreyTick = false;
    for (int y = 42; y < 56; ++y)
        for (int x = 14; x < 28; ++x)
            bGreyTick = bGreyTick || IsNear(box.At(x, y), 203, 203, 203, 0);
    EXPECT_TRUE(bGreyTick);
    EXPECT_TRUE(IsNear(box.At(25, 53), 255, 255, 255, 0));
}

TEST(ArtStrips, MessageBoxCloseIsTheWindowCloseByteForByte)
{
    const auto window = ReadFileBytes(PNG_DIR / "131.png");
    const auto messageBox = ReadFileBytes(PNG_DIR / "139.png");
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(window, messageBox);
}

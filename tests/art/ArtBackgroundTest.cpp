// The page backgrounds: what the window puts over them must find the matching
// picture under it, and text and controls must land on calm, light ground.
#include "PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

const std::filesystem::path PNG_DIR = std::filesystem::path(ZELQA_RES_DIR) / "png";

CPngImage LoadId(int nId)
{
    return CPngImage(PNG_DIR / (std::to_string(nId) + ".png"));
}

int Luma(const Pixel& p)
{
    return (p.r * 299 + p.g * 587 + p.b * 114) / 1000;
}

// The state-colour family: clearly blue and mid-dark, unlike sky, band and white.
bool IsSkinBlue(const Pixel& p)
{
    return p.b - p.r > 45 && Luma(p) < 175;
}

int CountSkinBlue(const CPngImage& image, int x0, int y0, int w, int h)
{
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            n += IsSkinBlue(image.At(x, y));
    return n;
}

// Every pixel of the rectangle is plain white.
void ExpectWhite(const CPngImage& image, int x0, int y0, int w, int h, const char* szWhat)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (!IsNear(image.At(x, y), 255, 255, 255, 0)) {
                ADD_FAILURE() << szWhat << ": (" << x << ", " << y << ") is " << image.At(x, y);
                return;
            }
}

// Light and nearly flat: dark text stays readable anywhere in the rectangle.
void ExpectCalm(const CPngImage& image, int x0, int y0, int w, int h, const char* szWhat)
{
    int nMin = 255;
    int nMax = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            nMin = std::min(nMin, Luma(image.At(x, y)));
            nMax = std::max(nMax, Luma(image.At(x, y)));
        }
    EXPECT_GE(nMin, 215) << szWhat;
    EXPECT_LE(nMax - nMin, 30) << szWhat;
}

void ExpectOpaque(const CPngImage& image)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            ASSERT_EQ(image.At(x, y).a, 255) << "(" << x << ", " << y << ")";
}

} // namespace

TEST(ArtBackgrounds, WelcomeLinesUpWithItsControls)
{
    const CPngImage page = LoadId(137);
    ASSERT_TRUE(page.IsLoaded()) << page.Error();
    ExpectOpaque(page);

    // The product icon is centred on x 300 and ends above the title at y 137.
    int nLeft = 600, nRight = -1, nBottom = -1;
    for (int y = 20; y < 137; ++y)
        for (int x = 200; x < 400; ++x)
            if (IsSkinBlue(page.At(x, y))) {
                nLeft = std::min(nLeft, x);
                nRight = std::max(nRight, x);
                nBottom = std::max(nBottom, y);
            }
    ASSERT_GE(nRight, 0) << "no product icon above the title";
    EXPECT_NEAR((nLeft + nRight) / 2.0, 300, 2.0);
    EXPECT_GE(nRight - nLeft, 60);
    EXPECT_LT(nBottom, 134);

    ExpectCalm(page, 200, 137, 200, 25, "title");
    EXPECT_GT(CountSkinBlue(page, 16, 10, 100, 30), 40) << "maker's logo at the top left";
    ExpectCalm(page, 550, 8, 46, 40, "close button corner");
    // The lower third is white: check box, agreement line, location row and change button.
    ExpectWhite(page, 0, 272, 600, 128, "lower third");
}

TEST(ArtBackgrounds, ProgressLinesUpWithItsControls)
{
    const CPngImage page = LoadId(138);
    ASSERT_TRUE(page.IsLoaded()) << page.Error();
    ExpectOpaque(page);

    // A bullet at x 236 for each feature line, standing out from the ground around it.
    for (int y : {122, 156, 190}) {
        EXPECT_GE(CountSkinBlue(page, 230, y - 6, 13, 13), 30) << "bullet at y " << y;
        EXPECT_EQ(CountSkinBlue(page, 218, y - 6, 6, 13), 0) << "left of the bullet at y " << y;
        EXPECT_EQ(CountSkinBlue(page, 248, y - 6, 6, 13), 0) << "right of the bullet at y " << y;
    }
    ExpectCalm(page, 257, 112, 200, 88, "feature lines");

    EXPECT_GT(CountSkinBlue(page, 18, 14, 32, 32), 100) << "small product icon left of the small title";
    ExpectCalm(page, 54, 20, 200, 20, "small title");
    EXPECT_GT(CountSkinBlue(page, 40, 60, 180, 180), 800) << "large rocket on the left";
    EXPECT_GT(CountSkinBlue(page, 300, 230, 280, 80), 50) << "small rocket on the band";
    ExpectCalm(page, 550, 8, 46, 40, "close button corner");
    ExpectWhite(page, 0, 326, 600, 74, "status line and progress bar");
}

TEST(ArtBackgrounds, FinishLinesUpWithItsControls)
{
    const CPngImage page = LoadId(136);
    ASSERT_TRUE(page.IsLoaded()) << page.Error();
    ExpectOpaque(page);

    // A tick disc left of the headline: blue disc, white tick across its middle.
    int nDiscLeft = 600, nDiscRight = -1;
    for (int x = 60; x < 256; ++x)
        if (IsSkinBlue(page.At(x, 125))) {
            nDiscLeft = std::min(nDiscLeft, x);
            nDiscRight = std::max(nDiscRight, x);
        }
    ASSERT_GE(nDiscRight, 0) << "no tick disc left of the headline";
    EXPECT_LT(nDiscRight, 250);
    EXPECT_GE(nDiscRight - nDiscLeft, 60);
    int nWhiteInDisc = 0;
    for (int y = 100; y < 150; ++y)
        for (int x = nDiscLeft + 10; x < nDiscRight - 10; ++x)
            nWhiteInDisc += Luma(page.At(x, y)) > 245;
    EXPECT_GT(nWhiteInDisc, 80) << "the tick";

    ExpectCalm(page, 256, 105, 170, 40, "headline");
    ExpectCalm(page, 256, 145, 250, 20, "slogan");
    EXPECT_GT(CountSkinBlue(page, 18, 14, 32, 32), 100) << "small product icon";
    EXPECT_GT(CountSkinBlue(page, 430, 160, 150, 130), 300) << "rocket on the right";
    ExpectCalm(page, 550, 8, 46, 40, "close button corner");
    ExpectWhite(page, 0, 312, 600, 88, "lower part with the Run button");
}

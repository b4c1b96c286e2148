#include <climits>

#include <gtest/gtest.h>

#include "common/DpiScaler.h"
#include "base/Types.h"
#include "framework/Screen.h"
#include "framework/Testing.h"

namespace
{
class ScalerAt : public ::testing::Test
{
protected:
    void TearDown() override { SetScreenDpiForTesting(0, 0); }
    static int32_t X(int dpi, int32_t v)
    {
        SetScreenDpiForTesting(dpi, dpi);
        return DpiScaler().ScaleX(v);
    }
};
} // namespace

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(14, 120, 96), 18); // 17.5
    EXPECT_EQ(MulDiv(10, 120, 96), 13); // 12.5
    EXPECT_EQ(MulDiv(-14, 120, 96), -18);
    EXPECT_EQ(MulDiv(-10, 120, 96), -13);
    EXPECT_EQ(MulDiv(25, 120, 96), 31); // 31.25 rounds down
    EXPECT_EQ(MulDiv(5, 144, 96), 8);   // 7.5
    EXPECT_EQ(MulDiv(7, 1, -2), -4);    // -3.5 with a negative denominator
    EXPECT_EQ(MulDiv(-7, -1, 2), 4);
}

TEST(MulDiv, OverflowAndZeroDenominatorGiveMinusOne)
{
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 2, 1), -1);
    // The 64-bit product keeps an intermediate overflow harmless.
    EXPECT_EQ(MulDiv(INT_MAX, 96, 96), INT_MAX);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), INT_MIN);
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
}

TEST_F(ScalerAt, NinetySixIsTheIdentity)
{
    for (int32_t v : {0, 1, -1, 14, 600, -400, 100000})
        EXPECT_EQ(X(96, v), v) << v;
}

TEST_F(ScalerAt, OneTwentyAndOneFortyFour)
{
    EXPECT_EQ(X(120, 14), 18);
    EXPECT_EQ(X(120, 10), 13);
    EXPECT_EQ(X(120, 25), 31);
    EXPECT_EQ(X(120, 5), 6);
    EXPECT_EQ(X(120, -14), -18);
    EXPECT_EQ(X(120, 600), 750);
    EXPECT_EQ(X(144, 5), 8);
    EXPECT_EQ(X(144, 600), 900);
    EXPECT_EQ(X(144, -5), -8);
}

TEST_F(ScalerAt, AxesFollowTheirOwnDpi)
{
    SetScreenDpiForTesting(120, 144);
    DpiScaler scaler;
    EXPECT_EQ(scaler.ScaleX(400), 500);
    EXPECT_EQ(scaler.ScaleY(400), 600);
    EXPECT_TRUE(scaler.m_bInitialized);
    EXPECT_EQ(scaler.m_nDpiX, 120);
    EXPECT_EQ(scaler.m_nDpiY, 144);
}

TEST_F(ScalerAt, NoScreenMeansNinetySix)
{
    // The window system is never started in this program, so no screen answers.
    DpiScaler scaler;
    EXPECT_EQ(scaler.ScaleX(400), 400);
    EXPECT_EQ(scaler.ScaleY(-7), -7);
    EXPECT_TRUE(scaler.m_bInitialized);
    EXPECT_EQ(scaler.m_nDpiX, 96);
}

TEST_F(ScalerAt, ReadsTheDpiOnceAndKeepsIt)
{
    SetScreenDpiForTesting(144, 144);
    DpiScaler scaler;
    EXPECT_EQ(scaler.ScaleX(10), 15);
    SetScreenDpiForTesting(120, 120);
    EXPECT_EQ(scaler.ScaleX(10), 15);
}

TEST_F(ScalerAt, FreeFunctionsFollowTheDpiOfTheMoment)
{
    SetScreenDpiForTesting(144, 120);
    EXPECT_EQ(ScaledX(10), 15);
    EXPECT_EQ(ScaledY(10), 13);
    SetScreenDpiForTesting(120, 144);
    EXPECT_EQ(ScaledX(10), 13);
    EXPECT_EQ(ScaledY(-10), -15);
}

TEST(Colour, RgbIsRedInTheLowByte)
{
    EXPECT_EQ(RGB(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(RGB(113, 138, 185), 0xB98A71u);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

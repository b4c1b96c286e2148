#include <gtest/gtest.h>

#include "controls/StateStrip.h"
#include "framework/Screen.h"
#include "framework/Testing.h"

TEST(StateStrip, CellsOfEveryStripStackInStateOrder)
{
    struct Strip
    {
        UINT w, h;
    } strips[] = {{74, 128}, {14, 56}, {160, 160}, {96, 128}};
    for (const Strip& s : strips) {
        for (int state = 0; state < 4; ++state) {
            CRect rc = StateCellRect(s.w, s.h, state);
            EXPECT_EQ(rc, CRect(0, static_cast<LONG>(state * s.h / 4), static_cast<LONG>(s.w),
                                static_cast<LONG>(state * s.h / 4 + s.h / 4)))
                << s.w << "x" << s.h << " state " << state;
        }
    }
    EXPECT_EQ(StateCellRect(160, 160, STATE_DISABLED), CRect(0, 120, 160, 160));
    EXPECT_EQ(StateCellRect(14, 56, STATE_PRESSED), CRect(0, 28, 14, 42));
}

TEST(StateStrip, HeightNotAMultipleOfFourTruncates)
{
    // 130 rows: cells start at 0, 32, 65, 97 and are all 32 high.
    EXPECT_EQ(StateCellRect(20, 130, 0), CRect(0, 0, 20, 32));
    EXPECT_EQ(StateCellRect(20, 130, 1), CRect(0, 32, 20, 64));
    EXPECT_EQ(StateCellRect(20, 130, 2), CRect(0, 65, 20, 97));
    EXPECT_EQ(StateCellRect(20, 130, 3), CRect(0, 97, 20, 129));
}

TEST(StateStrip, CheckBoxColumns)
{
    EXPECT_EQ(CheckBoxCellRect(28, 56, STATE_NORMAL, false), CRect(0, 0, 14, 14));
    EXPECT_EQ(CheckBoxCellRect(28, 56, STATE_NORMAL, true), CRect(14, 0, 28, 14));
    EXPECT_EQ(CheckBoxCellRect(28, 56, STATE_PRESSED, true), CRect(14, 28, 28, 42));
    EXPECT_EQ(CheckBoxCellRect(28, 56, STATE_DISABLED, false), CRect(0, 42, 14, 56));
    // An odd width loses its last column of pixels to truncation.
    EXPECT_EQ(CheckBoxCellRect(29, 56, STATE_HOVER, true), CRect(14, 14, 28, 28));
}

namespace
{
struct DpiCase
{
    int dpi;
    CSize close, check, pill, change, msgButton;
};

class StripSizeAtDpi : public ::testing::TestWithParam<DpiCase>
{
protected:
    void TearDown() override { SetScreenDpiForTesting(0, 0); }
};
} // namespace

TEST_P(StripSizeAtDpi, ControlsTakeOneScaledCell)
{
    const DpiCase& c = GetParam();
    SetScreenDpiForTesting(c.dpi, c.dpi);
    EXPECT_EQ(StripControlSize(14, 56, false), c.close);
    EXPECT_EQ(StripControlSize(28, 56, true), c.check);
    EXPECT_EQ(StripControlSize(160, 160, false), c.pill);
    EXPECT_EQ(StripControlSize(74, 128, false), c.change);
    EXPECT_EQ(StripControlSize(96, 128, false), c.msgButton);
}

INSTANTIATE_TEST_SUITE_P(
    Dpis, StripSizeAtDpi,
    ::testing::Values(DpiCase{96, {14, 14}, {14, 14}, {160, 40}, {74, 32}, {96, 32}},
                      // 14 scales to 17.5 and rounds to 18, while 56 scales to 70 and 70 / 4 truncates to 17.
                      DpiCase{120, {18, 17}, {17, 17}, {200, 50}, {93, 40}, {120, 40}},
                      DpiCase{144, {21, 21}, {21, 21}, {240, 60}, {111, 48}, {144, 48}}));

#include <gtest/gtest.h>

#include "controls/CheckBoxEx.h"
#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/ProgressCtrlEx.h"
#include "controls/StaticEx.h"
#include "controls/TextButtonEx.h"
#include "framework/Screen.h"
#include "framework/Testing.h"
#include "tests/controls/ControlHost.h"

namespace
{
uint32_t Pixel(CWnd* pWnd, int x, int y)
{
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    CaptureWindowPixels(pWnd, px, w, h);
    return px.at(static_cast<size_t>(y) * w + x);
}

int Green(uint32_t px)
{
    return (px >> 8) & 0xFF;
}
int Red(uint32_t px)
{
    return (px >> 16) & 0xFF;
}
int Blue(uint32_t px)
{
    return px & 0xFF;
}

struct Controls
{
    CImageButtonEx close;
    CImageTextButtonEx install;
    CCheckBoxEx check;
    CTextButtonEx link;
    CStaticEx label;
};

class ControlBehaviour : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitTestWindowSystem()); }

    // Runs `body` inside a modal host holding one of each mouse-driven control.
    void WithControls(std::function<void(CControlHost&, Controls&)> body)
    {
        Controls c;
        CControlHost host(400, 120, [&](CControlHost& h) {
            c.close.Create(L"", 0x50000200, CRect(10, 10, 20, 20), &h, 10001);
            c.close.SetImage(IDB_CLOSE);
            c.install.Create(L"安装", 0x50000200, CRect(40, 10, 50, 20), &h, 10002);
            c.install.SetImage(IDB_PILL_BUTTON);
            c.check.Create(L"", 0x50000202, CRect(220, 10, 230, 20), &h, 10003);
            c.check.SetImage();
            c.link.Create(L"许可协议", 0x50020100, CRect(250, 10, 350, 27), &h, 10004);
            c.link.m_crText[0] = RGB(147, 202, 255);
            c.link.m_crText[1] = c.link.m_crText[2] = RGB(47, 152, 255);
            c.link.m_crText[3] = RGB(102, 102, 102);
            c.link.SetFontHeight(17);
            const CSize size = c.link.CalcTextSize();
            c.link.MoveWindow(250, 10, size.cx, size.cy);
            c.label.Create(L"已阅读并同意", 0x50020000, CRect(250, 60, 400, 80), &h, 10022);
        });
        RunWhenIdle([&] {
            body(host, c);
            host.EndDialog(0);
        });
        host.DoModal();
    }
};
} // namespace

TEST_F(ControlBehaviour, HoverShowsOnlyAfterThePointerRests)
{
    WithControls([](CControlHost& host, Controls& c) {
        SendMouseMove(&host, CPoint(50, 20));
        EXPECT_EQ(c.install.m_nState, STATE_NORMAL);
        PumpMessages(20);
        SendMouseMove(&host, CPoint(60, 22)); // still moving: the timer starts again
        PumpMessages(30);
        EXPECT_EQ(c.install.m_nState, STATE_NORMAL);
        PumpMessages(80);
        EXPECT_EQ(c.install.m_nState, STATE_HOVER);
        SendMouseMove(&host, CPoint(300, 100)); // off every control
        PumpMessages();
        EXPECT_EQ(c.install.m_nState, STATE_NORMAL);
    });
}

TEST_F(ControlBehaviour, ClickOnReleaseOverThePressedButtonOnly)
{
    WithControls([](CControlHost& host, Controls& c) {
        SendMouseMove(&host, CPoint(50, 20));
        SendMouseButton(&host, CPoint(50, 20), true);
        EXPECT_EQ(c.install.m_nState, STATE_PRESSED);
        SendMouseButton(&host, CPoint(50, 20), false);
        EXPECT_EQ(c.install.m_nState, STATE_NORMAL);
        ASSERT_EQ(host.m_commands, std::vector<UINT>{10002});

        // Press, drag off, release there: normal look, no click.
        SendMouseButton(&host, CPoint(15, 15), true);
        EXPECT_EQ(c.close.m_nState, STATE_PRESSED);
        SendMouseMove(&host, CPoint(150, 90));
        SendMouseButton(&host, CPoint(150, 90), false);
        PumpMessages();
        EXPECT_EQ(c.close.m_nState, STATE_NORMAL);
        EXPECT_EQ(host.m_commands.size(), 1u);
    });
}

TEST_F(ControlBehaviour, SoftDisabledControlIgnoresTheMouse)
{
    WithControls([](CControlHost& host, Controls& c) {
        c.install.m_bEnabled = 0;
        c.install.m_nState = STATE_DISABLED;
        c.link.m_bEnabled = 0;
        for (CPoint pt : {CPoint(50, 20), CPoint(255, 15)}) {
            SendMouseMove(&host, pt);
            PumpMessages(80);
            SendMouseButton(&host, pt, true);
            SendMouseButton(&host, pt, false);
            SendMouseMove(&host, CPoint(390, 110));
            PumpMessages();
        }
        EXPECT_EQ(c.install.m_nState, STATE_DISABLED);
        EXPECT_EQ(c.link.m_nState, STATE_NORMAL);
        EXPECT_TRUE(host.m_commands.empty());

        // Live again at once, without being re-created.
        c.install.m_bEnabled = 1;
        c.install.m_nState = STATE_NORMAL;
        SendMouseButton(&host, CPoint(50, 20), true);
        SendMouseButton(&host, CPoint(50, 20), false);
        EXPECT_EQ(host.m_commands, std::vector<UINT>{10002});
    });
}

TEST_F(ControlBehaviour, PressedCheckBoxShowsWhatTheClickWillMake)
{
    WithControls([](CControlHost& host, Controls& c) {
        // The tick's green dominates the checked box; the empty outline has none.
        auto tickShown = [&] {
            int greenest = 0;
            for (int y = 10; y < 24; ++y)
                for (int x = 220; x < 234; ++x) {
                    uint32_t px = Pixel(&host, x, y);
                    greenest = std::max(greenest, Green(px) - std::max(Red(px), Blue(px)));
                }
            return greenest > 60;
        };
        PumpMessages();
        EXPECT_TRUE(tickShown());
        SendMouseButton(&host, CPoint(226, 16), true);
        PumpMessages();
        EXPECT_FALSE(tickShown());
        // Released outside: no click, the box stays checked and shows the tick again.
        SendMouseMove(&host, CPoint(390, 110));
        SendMouseButton(&host, CPoint(390, 110), false);
        c.check.Invalidate();
        PumpMessages();
        EXPECT_TRUE(host.m_commands.empty());
        EXPECT_EQ(c.check.m_bChecked, 1);
        EXPECT_TRUE(tickShown());
    });
}

TEST_F(ControlBehaviour, TextButtonChangesColourOnHoverAndLeaveOnly)
{
    WithControls([](CControlHost& host, Controls& c) {
        PumpMessages();
        auto bluest = [&] {
            uint32_t best = 0xFFFFFF;
            for (int y = 10; y < 27; ++y)
                for (int x = 250; x < 280; ++x) {
                    uint32_t px = Pixel(&host, x, y);
                    if (Red(px) < Red(best))
                        best = px;
                }
            return best;
        };
        const uint32_t normal = bluest();
        SendMouseMove(&host, CPoint(255, 15));
        PumpMessages(100);
        EXPECT_EQ(c.link.m_nState, STATE_HOVER);
        const uint32_t hover = bluest();
        EXPECT_LT(Red(hover), Red(normal)); // (47,152,255) is deeper than (147,202,255)
        // A click changes the state but not the picture, and is reported on the press.
        SendMouseButton(&host, CPoint(255, 15), true);
        EXPECT_EQ(host.m_commands, std::vector<UINT>{10004});
        PumpMessages();
        EXPECT_EQ(bluest(), hover);
        SendMouseButton(&host, CPoint(255, 15), false);
        SendMouseMove(&host, CPoint(390, 110));
        PumpMessages();
        EXPECT_EQ(c.link.m_nState, STATE_NORMAL);
        // The normal colour is drawn over the hover text in place, so only the
        // glyphs' cores are exactly normal again; the darkest pixel is lighter than hover.
        EXPECT_GT(Red(bluest()), Red(hover));
    });
}

TEST_F(ControlBehaviour, LabelsLetTheMouseThroughAndMeasureTheirText)
{
    WithControls([](CControlHost& host, Controls& c) {
        SendMouseButton(&host, CPoint(260, 70), true);
        SendMouseButton(&host, CPoint(260, 70), false);
        EXPECT_TRUE(host.m_commands.empty());
        const CSize size = c.label.CalcTextSize();
        EXPECT_EQ(size.cy, 20);
        EXPECT_GT(size.cx, 6 * 12); // six CJK characters in a 20-pixel cell
        EXPECT_LT(size.cx, 6 * 22);
        c.label.SetWindowText(L"");
        EXPECT_EQ(c.label.CalcTextSize(), CSize(0, 20));
    });
}

TEST(ProgressFill, TruncatesAndStaysInsideTheBar)
{
    const float w96 = 520.0f;
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 0, 0, 100), 0);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 1, 0, 100), 5);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 45, 0, 100), 234);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 90, 0, 100), 468);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 99, 0, 100), 514);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 100, 0, 100), 520);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(650.0f, 45, 0, 100), 292);
    // Out of range: never wider than the bar, never negative.
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, 150, 0, 100), 520);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, -20, 0, 100), 0);
    EXPECT_EQ(CProgressCtrlEx::FillWidth(w96, INT64_MAX, 0, 100), 520);
}

TEST_F(ControlBehaviour, HoverAndLeaveLeaveNoMarks)
{
    WithControls([](CControlHost& host, Controls& c) {
        host.m_bSkin = true;
        host.Invalidate(TRUE);
        PumpMessages();
        const CPoint away(390, 110);
        // Hovers and leaves each control `cycles` times, then reads the window.
        auto cycle = [&](int cycles) {
            for (int i = 0; i < cycles; ++i) {
                for (CPoint pt : {CPoint(15, 15), CPoint(50, 20), CPoint(225, 15), CPoint(255, 15)}) {
                    SendMouseMove(&host, pt);
                    PumpMessages(80);
                    SendMouseMove(&host, away);
                    PumpMessages();
                }
            }
            std::vector<uint32_t> px;
            int w = 0, h = 0;
            CaptureWindowPixels(&host, px, w, h);
            return px;
        };
        const std::vector<uint32_t> once = cycle(1);
        EXPECT_EQ(c.install.m_nState, STATE_NORMAL);
        EXPECT_EQ(c.link.m_nState, STATE_NORMAL);
        const std::vector<uint32_t> twenty = cycle(19);
        ASSERT_EQ(once.size(), twenty.size());
        size_t nDiffering = 0;
        for (size_t i = 0; i < once.size(); ++i)
            nDiffering += once[i] != twenty[i];
        EXPECT_EQ(nDiffering, 0u) << "pixels changed by repeated hover and leave";
    });
}

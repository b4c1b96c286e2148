#include <array>

#include <gtest/gtest.h>

#include "common/DpiScaler.h"
#include "controls/CheckBoxEx.h"
#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/ProgressCtrlEx.h"
#include "controls/StaticEx.h"
#include "controls/TextButtonEx.h"
#include "framework/Screen.h"
#include "framework/Testing.h"
#include "support/GoldenImage.h"
#include "tests/controls/ControlHost.h"

namespace
{
constexpr std::array<int64_t, 6> kPositions{0, 1, 45, 99, 100, 150};

int S(int v)
{
    return DpiScaler().ScaleX(v);
}
int SY(int v)
{
    return DpiScaler().ScaleY(v);
}

// Every control in every state, placed as an owner places them, at one DPI.
struct Sheet
{
    std::array<CImageButtonEx, 4> close;
    std::array<CImageTextButtonEx, 4> pill;
    std::array<CImageTextButtonEx, 4> change;
    std::array<CCheckBoxEx, 8> check;
    std::array<CTextButtonEx, 4> link;
    CStaticEx label;
    CStaticEx clipped;
    std::array<CProgressCtrlEx, kPositions.size()> bar;

    void Create(CWnd* host)
    {
        for (int s = 0; s < 4; ++s) {
            close[s].Create(L"", 0x50000200, CRect(S(10 + 20 * s), SY(10), S(20 + 20 * s), SY(20)), host, 100 + s);
            close[s].SetImage(IDB_CLOSE);
            close[s].m_nState = s;
            pill[s].Create(L"安装", 0x50000200, CRect(S(10 + 180 * s), SY(40), S(20 + 180 * s), SY(50)), host, 110 + s);
            pill[s].SetImage(IDB_PILL_BUTTON);
            pill[s].m_nState = s;
            change[s].Create(L"更改", 0x50000200, CRect(S(10 + 90 * s), SY(90), S(20 + 90 * s), SY(100)), host,
                             120 + s);
            change[s].SetImage(IDB_CHANGE_BUTTON);
            change[s].m_nFontHeight = S(20);
            for (COLORREF& cr : change[s].m_crText)
                cr = RGB(68, 68, 68);
            change[s].m_nState = s;
            link[s].Create(L"许可协议", 0x50020100, CRect(0, 0, 10, S(17)), host, 140 + s);
            link[s].m_crText[0] = RGB(147, 202, 255);
            link[s].m_crText[1] = link[s].m_crText[2] = RGB(47, 152, 255);
            link[s].m_crText[3] = RGB(102, 102, 102);
            link[s].SetFontHeight(S(17));
            const CSize size = link[s].CalcTextSize();
            link[s].MoveWindow(S(10 + 100 * s), SY(130), size.cx, size.cy);
            link[s].m_nState = s;
        }
        for (int i = 0; i < 8; ++i) {
            check[i].Create(L"", 0x50000202, CRect(S(380 + 22 * i), SY(95), S(390 + 22 * i), SY(105)), host, 130 + i);
            check[i].SetImage();
            check[i].m_nState = i % 4;
            check[i].m_bChecked = i >= 4;
        }
        label.Create(L"安装到：", 0x50020000, CRect(0, 0, 10, S(20)), host, 150);
        label.SetFontHeight(S(20));
        CSize size = label.CalcTextSize();
        label.MoveWindow(S(420), SY(130), size.cx, size.cy);
        // A font taller than its label is cut at the label's bottom edge.
        clipped.Create(L"Zelqa图片转换器", 0x50020000, CRect(0, 0, 10, 20), host, 151);
        clipped.SetFontHeight(40);
        size = clipped.CalcTextSize();
        clipped.MoveWindow(S(10), SY(160), size.cx, size.cy);
        for (size_t i = 0; i < bar.size(); ++i) {
            bar[i].Create(L"", 0x50000200, CRect(0, 0, 100, 38), host, static_cast<UINT>(160 + i));
            bar[i].LoadImages();
            bar[i].MoveWindow(S(40), SY(210 + 20 * static_cast<int>(i)), S(520), SY(10));
            bar[i].m_nPos = kPositions[i];
            bar[i].Invalidate(TRUE);
        }
    }
};

// Columns of the bar's middle row that show the fill colour rather than the track.
int MeasuredFill(CWnd* host, const CProgressCtrlEx& bar)
{
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    CaptureWindowPixels(host, px, w, h);
    CRect rc;
    bar.GetWindowRect(&rc);
    host->ScreenToClient(&rc);
    const int y = (rc.top + rc.bottom) / 2;
    int last = -1;
    for (int x = rc.left; x < rc.right; ++x) {
        const uint32_t p = px[static_cast<size_t>(y) * w + x];
        // The fill (113,138,185) is far darker than the track (216,224,244).
        if (((p >> 16) & 0xFF) < 170)
            last = x - rc.left;
    }
    return last + 1;
}

class ControlSheet : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { ASSERT_TRUE(InitTestWindowSystem()); }
    void TearDown() override { SetScreenDpiForTesting(0, 0); }
};
} // namespace

TEST_P(ControlSheet, EveryControlInEveryState)
{
    const int dpi = GetParam();
    SetScreenDpiForTesting(dpi, dpi);
    Sheet sheet;
    CControlHost host(S(720), SY(340), [&](CControlHost& h) { sheet.Create(&h); });
    host.m_bSkin = false;
    RunWhenIdle([&] {
        CRect rc;
        sheet.close[0].GetClientRect(&rc);
        EXPECT_EQ(rc.Width(), S(14));
        EXPECT_EQ(rc.Height(), SY(56) / 4);
        sheet.bar[0].GetClientRect(&rc);
        EXPECT_EQ(rc.Width(), S(520));
        EXPECT_EQ(rc.Height(), SY(10));
        sheet.clipped.GetClientRect(&rc);
        EXPECT_EQ(rc.Height(), 20);

        for (size_t i = 0; i < kPositions.size(); ++i) {
            const int expected = CProgressCtrlEx::FillWidth(static_cast<float>(S(520)), kPositions[i], 0, 100);
            // The fill image's rounded left cap is lighter at its very edge; allow a pixel.
            EXPECT_NEAR(MeasuredFill(&host, sheet.bar[i]), expected, 1) << "position " << kPositions[i];
        }
        EXPECT_TRUE(MatchesGolden(&host, "controls-" + std::to_string(dpi)));
        host.EndDialog(0);
    });
    host.DoModal();
}

INSTANTIATE_TEST_SUITE_P(Dpis, ControlSheet, ::testing::Values(96, 120, 144), ::testing::PrintToStringParamName());

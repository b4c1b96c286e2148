#pragma once

// Windows the backend tests open: plain top-level pop-ups, shown at once and
// driven with PumpMessages, so that a test needs no modal run.

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Button.h"
#include "framework/DC.h"
#include "framework/Testing.h"
#include "framework/Wnd.h"

// A top-level window that paints itself in one colour and records the
// commands its children send.
class CTestTopWindow : public CWnd
{
public:
    explicit CTestTopWindow(COLORREF cr = RGB(0, 0, 255)) : m_cr(cr) {}
    ~CTestTopWindow() override { DestroyWindow(); }

    bool Open(int cx, int cy)
    {
        return CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, CRect(200, 200, 200 + cx, 200 + cy), nullptr, 0) !=
               FALSE;
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, m_cr);
    }
    BOOL OnCommand(UINT nID, UINT nCode) override
    {
        m_commands.emplace_back(nID, nCode);
        return TRUE;
    }

    COLORREF m_cr;
    std::vector<std::pair<UINT, UINT>> m_commands;
};

// An owner-drawn push button that draws nothing and counts its draw requests.
class CTestOwnerDrawButton : public CButton
{
public:
    void PreSubclassWindow() override { ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW); }
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++m_nDraws;
        m_lastDraw = *lpDrawItemStruct;
    }

    int m_nDraws = 0;
    DRAWITEMSTRUCT m_lastDraw{};
};

// The window's pixel at a point of its client area, 0x00RRGGBB.
inline uint32_t PixelOf(CWnd* pWnd, int x, int y)
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    if (!CaptureWindowPixels(pWnd, pixels, width, height) || x >= width || y >= height)
        return 0xFFFFFFFF;
    return pixels[static_cast<size_t>(y) * width + x];
}

class Win32Backend : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitTestWindowSystem()); }
};

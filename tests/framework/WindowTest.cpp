#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "framework/DC.h"
#include "framework/Dialog.h"
#include "framework/Screen.h"
#include "framework/Testing.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "res/resource.h"

namespace
{
// A plain child that fills itself with one colour and counts its paints.
class CSwatch : public CWnd
{
public:
    explicit CSwatch(COLORREF cr) : m_cr(cr) {}
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, m_cr);
        ++m_nPaints;
    }
    COLORREF m_cr;
    std::atomic<int> m_nPaints{0};
};

class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(IDD_MESSAGEBOX), m_child(RGB(0, 0, 255)) {}
    BOOL OnInitDialog() override
    {
        SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOMOVE);
        m_child.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 30, 30), this, 1);
        return TRUE;
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, m_crBack);
        ++m_nPaints;
    }
    CSwatch m_child;
    COLORREF m_crBack = RGB(255, 0, 0);
    int m_nPaints = 0;
};

uint32_t PixelAt(CWnd* pWnd, int x, int y)
{
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    EXPECT_TRUE(CaptureWindowPixels(pWnd, px, w, h));
    return px.at(static_cast<size_t>(y) * w + x);
}

class WindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitTestWindowSystem()); }
};
} // namespace

TEST_F(WindowTest, ChildrenPaintOverTheirParentAndAloneOverTheirOldPixels)
{
    CTestDialog dlg;
    RunWhenIdle([&] {
        EXPECT_EQ(PixelAt(&dlg, 5, 5), 0xFF0000u);
        EXPECT_EQ(PixelAt(&dlg, 15, 15), 0x0000FFu);
        const int parentPaints = dlg.m_nPaints;
        const int childPaints = dlg.m_child.m_nPaints;

        // Invalidating only the child repaints only the child.
        dlg.m_child.m_cr = RGB(0, 255, 0);
        dlg.m_child.Invalidate();
        PumpMessages();
        EXPECT_EQ(dlg.m_nPaints, parentPaints);
        EXPECT_EQ(dlg.m_child.m_nPaints, childPaints + 1);
        EXPECT_EQ(PixelAt(&dlg, 15, 15), 0x00FF00u);

        // The parent does not clip its children, so its repaint brings theirs.
        dlg.Invalidate();
        PumpMessages();
        EXPECT_EQ(dlg.m_nPaints, parentPaints + 1);
        EXPECT_EQ(dlg.m_child.m_nPaints, childPaints + 2);

        // Hiding the child gives its area back to the parent.
        dlg.m_child.ShowWindow(SW_HIDE);
        PumpMessages();
        EXPECT_EQ(PixelAt(&dlg, 15, 15), 0xFF0000u);
        dlg.EndDialog(7);
    });
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_child.GetSafeHwnd(), nullptr);
}

// A window made larger while shown is painted whole at its new size, also
// the children of a parent that clips them (whose own repaint would not
// bring theirs), and so is one made smaller and then larger again.
TEST_F(WindowTest, AResizedWindowIsPaintedWholeChildrenToo)
{
    CTestDialog dlg;
    RunWhenIdle([&] {
        dlg.ModifyStyle(0, WS_CLIPCHILDREN);
        for (const CSize size : {CSize(320, 160), CSize(120, 60), CSize(300, 150)}) {
            dlg.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE);
            PumpMessages();
            std::vector<uint32_t> px;
            int w = 0, h = 0;
            ASSERT_TRUE(CaptureWindowPixels(&dlg, px, w, h));
            ASSERT_EQ(w, size.cx);
            ASSERT_EQ(h, size.cy);
            EXPECT_EQ(px.at(static_cast<size_t>(h - 2) * w + (w - 2)), 0xFF0000u) << size.cx;
            EXPECT_EQ(px.at(static_cast<size_t>(15) * w + 15), 0x0000FFu) << size.cx;
        }
        dlg.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
}

TEST_F(WindowTest, WorkerThreadRequestsRunOnTheWindowThread)
{
    CTestDialog dlg;
    RunWhenIdle([&] {
        const int before = dlg.m_child.m_nPaints;
        std::thread worker([&] {
            dlg.m_child.MoveWindow(50, 50, 20, 20);
            dlg.m_child.Invalidate();
        });
        worker.join();
        PumpMessages();
        CRect rc;
        dlg.m_child.GetWindowRect(&rc);
        CRect rcDlg;
        dlg.GetWindowRect(&rcDlg);
        EXPECT_EQ(rc.left - rcDlg.left, 50);
        EXPECT_GT(dlg.m_child.m_nPaints.load(), before);
        EXPECT_EQ(PixelAt(&dlg, 55, 55), 0x0000FFu);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(WindowTest, RequestsForADestroyedWindowAreDropped)
{
    auto pDlg = std::make_unique<CTestDialog>();
    CTestDialog* raw = pDlg.get();
    RunWhenIdle([raw] { raw->EndDialog(0); });
    pDlg->DoModal();
    // A request queued from another thread while the window still existed...
    CSwatch late(RGB(1, 2, 3));
    CTestDialog host;
    RunWhenIdle([&] {
        std::thread worker([&] {
            late.Invalidate();
            host.m_child.Invalidate();
        });
        worker.join();
        host.m_child.DestroyWindow(); // ...lands after the window is gone.
        PumpMessages();
        host.EndDialog(0);
    });
    host.DoModal();
    SUCCEED();
}

TEST_F(WindowTest, SystemCloseEndsTheModalRun)
{
    CTestDialog dlg;
    RunWhenIdle([&] { dlg.SendCloseMessage(); });
    EXPECT_EQ(dlg.DoModal(), static_cast<INT_PTR>(IDCANCEL));
}

TEST_F(WindowTest, WorkSentToAWindowThatWentIsNeverRun)
{
    CWindowTarget target;
    std::atomic<int> nRuns{0};
    {
        CTestDialog dlg;
        RunWhenIdle([&] {
            target = dlg.GetWindowTarget();
            std::thread([&] { target.Post([&] { ++nRuns; }); }).join();
            PumpMessages();
            dlg.EndDialog(0);
        });
        dlg.DoModal();
    }
    EXPECT_EQ(nRuns, 1);
    CTestDialog other;
    RunWhenIdle([&] {
        std::thread([&] { target.Post([&] { ++nRuns; }); }).join();
        PumpMessages();
        other.EndDialog(0);
    });
    other.DoModal();
    EXPECT_EQ(nRuns, 1);
}

TEST_F(WindowTest, IconsDrawAtTheirStandardSize)
{
    HICON hIcon = LoadAppIcon(IDR_MAINFRAME);
    ASSERT_NE(hIcon, nullptr);
    EXPECT_EQ(LoadAppIcon(9999), nullptr);
    CTestDialog dlg;
    RunWhenIdle([&] {
        dlg.m_child.ShowWindow(SW_HIDE);
        PumpMessages();
        {
            CClientDC dc(&dlg);
            dc.FillSolidRect(CRect(0, 0, 200, 100), RGB(255, 255, 255));
            EXPECT_TRUE(dc.DrawIcon(50, 20, hIcon));
        }
        const CSize size = GetIconSize();
        int nInside = 0;
        for (int y = 20; y < 20 + size.cy; ++y)
            for (int x = 50; x < 50 + size.cx; ++x)
                nInside += PixelAt(&dlg, x, y) != 0xFFFFFFu;
        EXPECT_GT(nInside, size.cx * size.cy / 3);
        EXPECT_EQ(PixelAt(&dlg, 49, 30), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(&dlg, 50 + size.cx, 30), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(&dlg, 60, 20 + size.cy), 0xFFFFFFu);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(WindowTest, CentringKeepsTheWindowInsideTheWorkAreaAndPassesOverAHiddenOwner)
{
    const CRect work = GetScreenWorkArea();
    ASSERT_GE(work.Width(), 500);
    ASSERT_GE(work.Height(), 400);
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"", WS_POPUP, CRect(work.left, work.top, work.left + 100, work.top + 80),
                               nullptr, 0));
    CWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, L"", WS_POPUP, CRect(0, 0, 200, 120), &owner, 0));
    auto centred = [&](CWnd& wnd) {
        wnd.CenterWindow();
        PumpMessages();
        CRect rc;
        wnd.GetWindowRect(&rc);
        return rc;
    };
    auto moveOwner = [&](int x, int y) {
        owner.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
    };

    // The owner is hidden: the work area is what the window is centred in.
    CRect rc = centred(popup);
    EXPECT_EQ(rc.TopLeft(), CPoint(work.left + (work.Width() - 200) / 2, work.top + (work.Height() - 120) / 2));
    EXPECT_EQ(rc.Width(), 200);
    EXPECT_EQ(rc.Height(), 120);

    owner.ShowWindow(SW_SHOW);
    moveOwner(work.left + 200, work.top + 150);
    EXPECT_EQ(centred(popup).TopLeft(), CPoint(work.left + 150, work.top + 130));

    // Over an owner in a corner of the work area the window stays inside it.
    moveOwner(work.right - 100, work.bottom - 80);
    rc = centred(popup);
    EXPECT_EQ(CPoint(rc.right, rc.bottom), CPoint(work.right, work.bottom));
    moveOwner(work.left, work.top);
    EXPECT_EQ(centred(popup).TopLeft(), work.TopLeft());

    // A child is centred in its parent's client area, wherever that is.
    CWnd child;
    ASSERT_TRUE(child.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 10), &owner, 1));
    moveOwner(work.right - 100, work.bottom - 80);
    rc = centred(child);
    CPoint origin(0, 0);
    owner.ClientToScreen(&origin);
    EXPECT_EQ(CPoint(rc.left - origin.x, rc.top - origin.y), CPoint(40, 35));
}

namespace
{
// A dialog that may place itself or end itself while it sets itself up.
class CSetUpDialog : public CDialog
{
public:
    CSetUpDialog() : CDialog(IDD_MESSAGEBOX) {}
    BOOL OnInitDialog() override
    {
        SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
        if (m_bPlace)
            SetWindowPos(nullptr, m_ptPlace.x, m_ptPlace.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (m_nEndAtOnce)
            EndDialog(m_nEndAtOnce);
        return TRUE;
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        m_bPainted = true;
    }
    bool m_bPlace = false;
    CPoint m_ptPlace;
    INT_PTR m_nEndAtOnce = 0;
    bool m_bPainted = false;
};

CPoint TopLeftOf(CWnd& wnd)
{
    CRect rc;
    wnd.GetWindowRect(&rc);
    return rc.TopLeft();
}
} // namespace

TEST_F(WindowTest, ADialogIsCentredUnlessItPlacedItselfWhileSettingUp)
{
    const CRect work = GetScreenWorkArea();
    CSetUpDialog centred;
    RunWhenIdle([&] {
        EXPECT_EQ(TopLeftOf(centred),
                  CPoint(work.left + (work.Width() - 200) / 2, work.top + (work.Height() - 100) / 2));
        EXPECT_TRUE(centred.IsWindowVisible());
        centred.EndDialog(0);
    });
    centred.DoModal();

    CSetUpDialog placed;
    placed.m_bPlace = true;
    placed.m_ptPlace = CPoint(work.left + 13, work.top + 17);
    RunWhenIdle([&] {
        EXPECT_EQ(TopLeftOf(placed), placed.m_ptPlace);
        placed.EndDialog(0);
    });
    placed.DoModal();
}

TEST_F(WindowTest, ADialogEndedWhileSettingUpNeverShows)
{
    CSetUpDialog dlg;
    dlg.m_nEndAtOnce = 9;
    EXPECT_EQ(dlg.DoModal(), 9);
    EXPECT_FALSE(dlg.m_bPainted);
    EXPECT_EQ(GetModalWindow(), nullptr);
}

TEST_F(WindowTest, ModalRunsNestAndEachEndsInItsOwnTurn)
{
    CSetUpDialog outer;
    CSetUpDialog inner;
    INT_PTR nInner = 0;
    bool bOuterEndedDuringInner = false;
    RunWhenIdle([&] {
        EXPECT_EQ(GetModalWindow(), &outer);
        RunWhenIdle([&] {
            EXPECT_EQ(GetModalWindow(), &inner);
            // Ending the outer run leaves the inner one going.
            outer.EndDialog(5);
            PumpMessages(20);
            EXPECT_EQ(GetModalWindow(), &inner);
            EXPECT_FALSE(IsModalRunEnded(&inner));
            bOuterEndedDuringInner = IsModalRunEnded(&outer);
            inner.EndDialog(6);
        });
        nInner = inner.DoModal();
    });
    EXPECT_EQ(outer.DoModal(), 5);
    EXPECT_EQ(nInner, 6);
    EXPECT_TRUE(bOuterEndedDuringInner);
    EXPECT_EQ(GetModalWindow(), nullptr);
}

TEST_F(WindowTest, IdleWorkFromAnotherThreadWakesTheLoop)
{
    CSetUpDialog dlg;
    std::thread worker;
    RunWhenIdle([&] {
        // The window thread goes to sleep with nothing due; only the worker's
        // idle work can end the run.
        worker = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            RunWhenIdle([&] { dlg.EndDialog(3); });
        });
    });
    EXPECT_EQ(dlg.DoModal(), 3);
    worker.join();
}

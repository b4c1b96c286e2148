// Dialogs from the program's templates, their modal runs, and work sent to
// the window thread.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "framework/WindowThread.h"
#include "tests/win32/framework/TestWindows.h"
#include "res/resource.h"

namespace
{
// A dialog from a template that may move itself while it initialises.
class CPlacedDialog : public CDialog
{
public:
    CPlacedDialog(UINT nTemplate, CWnd* pOwner, bool bMoveItself) : CDialog(nTemplate, pOwner), m_bMove(bMoveItself) {}
    BOOL OnInitDialog() override
    {
        if (m_bMove)
            SetWindowPos(nullptr, 30, 40, 200, 100, SWP_NOZORDER);
        else
            SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOMOVE);
        return TRUE;
    }
    bool m_bMove;
};

CPoint CentreOf(CWnd* pWnd)
{
    CRect rc;
    pWnd->GetWindowRect(&rc);
    return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}
} // namespace

TEST_F(Win32Backend, TemplatesAreTheInstallersBorderlessPopups)
{
    DIALOG_TEMPLATE_ENTRY entry{};
    ASSERT_TRUE(FindDialogTemplate(IDD_ZELQA_DOWNLOADER_DIALOG, entry));
    EXPECT_EQ(entry.dwStyle, 0x90000048u);
    EXPECT_EQ(entry.dwExStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(entry.cxDialogUnits, 320);
    EXPECT_EQ(entry.cyDialogUnits, 200);
    ASSERT_TRUE(FindDialogTemplate(IDD_MESSAGEBOX, entry));
    EXPECT_EQ(entry.dwStyle, 0x80080048u);
    EXPECT_EQ(entry.dwExStyle, 0u);
    EXPECT_FALSE(FindDialogTemplate(999, entry));

    // The window made from the template has no title bar and no frame.
    CDialog dialog(IDD_ZELQA_DOWNLOADER_DIALOG);
    RunWhenIdle([&] {
        const DWORD dwStyle = dialog.GetStyle();
        EXPECT_EQ(dwStyle & WS_CAPTION, 0u);
        EXPECT_EQ(dwStyle & WS_THICKFRAME, 0u);
        CRect rcWindow;
        CRect rcClient;
        dialog.GetWindowRect(&rcWindow);
        dialog.GetClientRect(&rcClient);
        EXPECT_EQ(rcWindow.Width(), rcClient.Width());
        EXPECT_EQ(rcWindow.Height(), rcClient.Height());
        dialog.EndDialog(3);
    });
    EXPECT_EQ(dialog.DoModal(), 3);
}

TEST_F(Win32Backend, ANestedRunDisablesItsOwnerUntilItEnds)
{
    CDialog outer(IDD_MESSAGEBOX);
    CPlacedDialog inner(IDD_MESSAGEBOX, &outer, false);
    INT_PTR nInnerResult = 0;
    RunWhenIdle([&] {
        EXPECT_EQ(GetModalWindow(), &outer);
        RunWhenIdle([&] {
            EXPECT_EQ(GetModalWindow(), &inner);
            EXPECT_FALSE(IsWindowEnabled(outer.GetSafeHwnd()));
            EXPECT_TRUE(IsWindowEnabled(inner.GetSafeHwnd()));
            // Left where it was during set-up, the box is centred over its owner.
            const CPoint inside = CentreOf(&inner);
            const CPoint owner = CentreOf(&outer);
            EXPECT_LE(std::abs(inside.x - owner.x), 1);
            EXPECT_LE(std::abs(inside.y - owner.y), 1);
            inner.EndDialog(42);
        });
        nInnerResult = inner.DoModal();
        EXPECT_EQ(inner.GetSafeHwnd(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(outer.GetSafeHwnd()));
        EXPECT_EQ(GetModalWindow(), &outer);
        outer.EndDialog(7);
    });
    EXPECT_EQ(outer.DoModal(), 7);
    EXPECT_EQ(nInnerResult, 42);
    EXPECT_EQ(GetModalWindow(), nullptr);
}

TEST_F(Win32Backend, ADialogThatPlacesItselfIsNotCentred)
{
    CPlacedDialog dialog(IDD_MESSAGEBOX, nullptr, true);
    RunWhenIdle([&] {
        CRect rc;
        dialog.GetWindowRect(&rc);
        EXPECT_EQ(rc.TopLeft(), CPoint(30, 40));
        dialog.EndDialog(0);
    });
    dialog.DoModal();
}

TEST_F(Win32Backend, WorkForAWindowThatWentIsFreedUnrun)
{
    auto sentinel = std::make_shared<int>(0);
    CWindowTarget target;
    {
        CTestTopWindow top;
        ASSERT_TRUE(top.Open(100, 100));
        target = top.GetWindowTarget();
        // Queued while the window exists, handled after it has gone.
        std::thread([&] { target.Post([s = sentinel] { ++*s; }); }).join();
    }
    std::thread([&] { target.Post([s = sentinel] { ++*s; }); }).join();
    PumpMessages();
    EXPECT_EQ(*sentinel, 0);
    EXPECT_EQ(sentinel.use_count(), 1);
}

TEST_F(Win32Backend, WorkArrivesInsideLoopsTheSystemRuns)
{
    CTestTopWindow top;
    ASSERT_TRUE(top.Open(100, 100));
    const CWindowTarget target = top.GetWindowTarget();
    std::atomic<bool> bDone{false};
    std::atomic<bool> bOnUiThread{false};
    // A loop of the kind the system runs while a window is dragged: it
    // dispatches messages itself and knows nothing of the framework.
    RunWhenIdle([&] {
        std::thread worker([&] {
            Sleep(50);
            target.Post([&] {
                bOnUiThread = WindowThread::IsCurrent();
                bDone = true;
            });
        });
        const ULONGLONG end = GetTickCount64() + 3000;
        MSG msg;
        while (!bDone && GetTickCount64() < end) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
        }
        worker.join();
    });
    PumpMessages();
    EXPECT_TRUE(bDone);
    EXPECT_TRUE(bOnUiThread);
}

TEST_F(Win32Backend, WorkersReachTheWindowThread)
{
    std::atomic<int> nRan{0};
    bool bOrderKept = true;
    std::thread([&] {
        for (int i = 0; i < 50; ++i)
            WindowThread::Run([&, i] {
                bOrderKept = bOrderKept && nRan == i && WindowThread::IsCurrent();
                ++nRan;
            });
    }).join();
    EXPECT_EQ(nRan, 0); // nothing runs on the worker
    PumpMessages();
    EXPECT_EQ(nRan, 50);
    EXPECT_TRUE(bOrderKept);
    bool bNow = false;
    WindowThread::Run([&] { bNow = true; });
    EXPECT_TRUE(bNow); // on the window thread it runs at once
}

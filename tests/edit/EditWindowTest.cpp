#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/DpiScaler.h"
#include "controls/EditEx.h"
#include "framework/DC.h"
#include "framework/Dialog.h"
#include "framework/Screen.h"
#include "framework/Testing.h"
#include "framework/linux/Clipboard.h"
#include "framework/linux/EditClass.h"
#include "framework/linux/HeadlessTesting.h"
#include "framework/linux/TextInput.h"
#include "res/resource.h"
#include "support/GoldenImage.h"

namespace
{
constexpr uint32_t kOutline = 0xD1D1D1;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kHighlight = 0x0078D7;
const std::wstring kPath = L"C:\\Program Files (x86)\\brovix\\Zelqa";

// A window with the path box placed and configured as the installer window does,
// and the installer's filter of Escape, Enter and Space.
class CBoxDialog : public CDialog
{
public:
    CBoxDialog() : CDialog(IDD_MESSAGEBOX) {}

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetWindowPos(nullptr, 0, 0, DpiScaler().ScaleX(460), DpiScaler().ScaleY(72), SWP_NOMOVE);
        m_box.Create(L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, CRect(0, 0, 10, 10), this, 10041);
        m_rcBox = CRect(DpiScaler().ScaleX(20), DpiScaler().ScaleY(20), 0, 0);
        m_rcBox.right = m_rcBox.left + DpiScaler().ScaleX(414);
        m_rcBox.bottom = m_rcBox.top + DpiScaler().ScaleY(32);
        m_box.MoveWindow(m_rcBox);
        if (m_bWhite) {
            m_box.SetWhiteBackground();
            m_box.m_edit.m_crText = RGB(101, 101, 101);
        }
        m_box.SetText(kPath);
        return TRUE;
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN &&
            (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN || pMsg->wParam == VK_SPACE))
            return TRUE;
        return CDialog::PreTranslateMessage(pMsg);
    }

    // The inner edit's rectangle in this window's client coordinates.
    CRect EditRect()
    {
        CRect rc;
        m_box.m_edit.GetWindowRect(&rc);
        ScreenToClient(&rc);
        return rc;
    }
    CPoint EditPoint(int x) { return CPoint(EditRect().left + x, EditRect().top + EditRect().Height() / 2); }

    CEditEx m_box;
    CRect m_rcBox;
    bool m_bWhite = true;
};

struct Pixels
{
    std::vector<uint32_t> px;
    int w = 0;
    int h = 0;
    explicit Pixels(CWnd* pWnd) { EXPECT_TRUE(CaptureWindowPixels(pWnd, px, w, h)); }
    uint32_t At(int x, int y) const { return px.at(static_cast<size_t>(y) * w + x); }
    int Count(const CRect& rc, uint32_t colour) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += At(x, y) == colour;
        return n;
    }
};

void Type(CWnd* pWnd, const std::wstring& text)
{
    SendText(pWnd, text);
    PumpMessages();
}

void Key(CWnd* pWnd, UINT vk, UINT nModifiers = 0)
{
    SendKey(pWnd, vk, true, nModifiers);
    SendKey(pWnd, vk, false, nModifiers);
    PumpMessages();
}

void Click(CBoxDialog& dlg, int x)
{
    SendMouseButton(&dlg, dlg.EditPoint(x), true);
    SendMouseButton(&dlg, dlg.EditPoint(x), false);
    PumpMessages();
}

class EditBoxTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitHeadlessWindowSystem()); }
    void TearDown() override { SetScreenDpiForTesting(0, 0); }
};

class EditBoxDpiTest : public EditBoxTest, public ::testing::WithParamInterface<int>
{
};
} // namespace

TEST_P(EditBoxDpiTest, InnerEditIsInsetByFiveScaledPixelsWithAFontAsTallAsItself)
{
    const int dpi = GetParam();
    SetScreenDpiForTesting(dpi, dpi);
    const int inset = (5 * dpi + 48) / 96;
    CBoxDialog dlg;
    RunWhenIdle([&] {
        ASSERT_NE(dlg.m_box.m_edit.GetSafeHwnd(), nullptr) << "created on the frame's first paint";
        EXPECT_EQ(dlg.m_box.GetStyle() & (SS_TYPEMASK | SS_NOTIFY), SS_OWNERDRAW | SS_NOTIFY);
        EXPECT_EQ(dlg.m_box.m_edit.GetParent(), &dlg.m_box);
        EXPECT_EQ(dlg.m_box.m_edit.GetDlgCtrlID(), 1u);

        const CRect rcBox = dlg.m_rcBox;
        const CRect rcEdit = dlg.EditRect();
        EXPECT_EQ(rcEdit, CRect(rcBox.left + inset, rcBox.top + inset, rcBox.right - inset, rcBox.bottom - inset));
        if (dpi == 96) {
            EXPECT_EQ(rcEdit.Width(), 404);
            EXPECT_EQ(rcEdit.Height(), 22);
        }
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(dlg.m_box.m_edit.GetFont());
        EXPECT_EQ(dc.GetTextExtent(L"安", 1).cy, rcEdit.Height());

        // Text given before the first paint is in the field once it exists.
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), kPath);

        // The outline is one pixel of RGB(209, 209, 209); inside it a white margin.
        Pixels shot(&dlg);
        const int outlineLeft = shot.Count(CRect(rcBox.left, rcBox.top, rcBox.left + 1, rcBox.bottom), kOutline);
        const int outlineTop = shot.Count(CRect(rcBox.left, rcBox.top, rcBox.right, rcBox.top + 1), kOutline);
        const int outlineRight = shot.Count(CRect(rcBox.right - 1, rcBox.top, rcBox.right, rcBox.bottom), kOutline);
        const int outlineBottom = shot.Count(CRect(rcBox.left, rcBox.bottom - 1, rcBox.right, rcBox.bottom), kOutline);
        EXPECT_EQ(outlineLeft, rcBox.Height());
        EXPECT_EQ(outlineRight, rcBox.Height());
        EXPECT_EQ(outlineTop, rcBox.Width());
        EXPECT_EQ(outlineBottom, rcBox.Width());
        const CRect rcMarginTop(rcBox.left + 1, rcBox.top + 1, rcBox.right - 1, rcEdit.top);
        const CRect rcMarginLeft(rcBox.left + 1, rcBox.top + 1, rcEdit.left, rcBox.bottom - 1);
        const CRect rcMarginBottom(rcBox.left + 1, rcEdit.bottom, rcBox.right - 1, rcBox.bottom - 1);
        const CRect rcMarginRight(rcEdit.right, rcBox.top + 1, rcBox.right - 1, rcBox.bottom - 1);
        for (const CRect& rc : {rcMarginTop, rcMarginLeft, rcMarginBottom, rcMarginRight})
            EXPECT_EQ(shot.Count(rc, kWhite), rc.Width() * rc.Height());
        EXPECT_EQ(shot.At(rcBox.left - 1, rcBox.top), 0xF0F0F0u) << "nothing drawn outside the box";

        // The path is drawn in the installer's grey, inside the field.
        EXPECT_GT(shot.Count(rcEdit, 0x656565), 10);
        EXPECT_TRUE(MatchesGolden(&dlg, "edit-" + std::to_string(dpi)));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

INSTANTIATE_TEST_SUITE_P(Dpis, EditBoxDpiTest, ::testing::Values(96, 120, 144));

TEST_F(EditBoxTest, WithoutTheInstallerColoursTheTextIsRedOnGrey)
{
    CBoxDialog dlg;
    dlg.m_bWhite = false;
    RunWhenIdle([&] {
        Pixels shot(&dlg);
        const CRect rcEdit = dlg.EditRect();
        EXPECT_EQ(shot.At(rcEdit.right - 2, rcEdit.bottom - 2), kOutline);
        EXPECT_GT(shot.Count(rcEdit, 0xFF0000), 10);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, TypedTextSurvivesEveryRepaintOfTheFrame)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        EXPECT_FALSE(IsTextInputActive()) << "text input is off until the field has the focus";
        Click(dlg, dlg.EditRect().Width() - 3); // right of the text: the caret goes to the end
        EXPECT_EQ(CWnd::GetFocus(), &dlg.m_box.m_edit);
        EXPECT_TRUE(IsTextInputActive());
        Type(&dlg, L"\\新建");
        const std::wstring typed = kPath + L"\\新建";
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), typed);

        // Repaints of the frame: its own colour change, a plain invalidation,
        // the whole window uncovered, and the frame hidden and shown again.
        dlg.m_box.SetWhiteBackground();
        PumpMessages();
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), typed);
        dlg.m_box.Invalidate();
        dlg.Invalidate();
        PumpMessages();
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), typed);
        dlg.m_box.ShowWindow(SW_HIDE);
        PumpMessages();
        dlg.m_box.ShowWindow(SW_SHOW);
        PumpMessages();
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), typed);

        // A new text from the owner still replaces what was typed.
        dlg.m_box.SetText(L"D:\\Apps\\Zelqa");
        PumpMessages();
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), L"D:\\Apps\\Zelqa");
        EXPECT_EQ(GetEditStateForTesting(dlg.m_box.m_edit)->GetCaret(), 0u);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, HiddenBoxTakesNoTypingAndStopsTextInput)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        Click(dlg, 5);
        ASSERT_TRUE(IsTextInputActive());
        // Pages change by hiding the frame; the field inside must not keep the keyboard.
        dlg.m_box.ShowWindow(SW_HIDE);
        PumpMessages();
        EXPECT_FALSE(IsTextInputActive());
        Type(&dlg, L"x");
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), kPath);
        Key(&dlg, VK_DELETE);
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), kPath);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, EscapeEnterAndSpaceNeverReachTheField)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        dlg.m_box.SetText(L"");
        PumpMessages();
        Click(dlg, 5);
        Type(&dlg, L"a");
        // The Space key comes first as a key, then as typed text.
        SendKey(&dlg, VK_SPACE, true);
        SendText(&dlg, L" ");
        SendKey(&dlg, VK_SPACE, false);
        Key(&dlg, VK_RETURN);
        Key(&dlg, VK_ESCAPE);
        PumpMessages();
        Type(&dlg, L"b");
        EXPECT_EQ(dlg.m_box.m_edit.GetWindowText(), L"ab");
        dlg.EndDialog(0);
    });
    EXPECT_EQ(dlg.DoModal(), 0);
}

TEST_F(EditBoxTest, KeyboardEditingSelectionAndClipboard)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        CCustomDrawEdit& edit = dlg.m_box.m_edit;
        dlg.m_box.SetText(L"D:\\Apps");
        PumpMessages();
        Click(dlg, 2);
        EXPECT_EQ(GetEditStateForTesting(edit)->GetCaret(), 0u);

        Key(&dlg, VK_END);
        Key(&dlg, VK_BACK);
        EXPECT_EQ(edit.GetWindowText(), L"D:\\App");
        Key(&dlg, VK_HOME);
        Key(&dlg, VK_DELETE);
        EXPECT_EQ(edit.GetWindowText(), L":\\App");
        Type(&dlg, L"E");
        Key(&dlg, VK_RIGHT);
        Key(&dlg, VK_RIGHT);
        Key(&dlg, VK_RIGHT, MK_SHIFT);
        Key(&dlg, VK_RIGHT, MK_SHIFT);
        Key(&dlg, VK_RIGHT, MK_SHIFT);
        int start = 0, end = 0;
        edit.GetSel(start, end);
        EXPECT_EQ(start, 3);
        EXPECT_EQ(end, 6);

        Key(&dlg, 'C', MK_CONTROL);
        std::wstring clip;
        ASSERT_TRUE(GetClipboardText(clip));
        EXPECT_EQ(clip, L"App");
        Key(&dlg, 'X', MK_CONTROL);
        EXPECT_EQ(edit.GetWindowText(), L"E:\\");
        Key(&dlg, 'V', MK_CONTROL);
        Key(&dlg, 'V', MK_CONTROL);
        EXPECT_EQ(edit.GetWindowText(), L"E:\\AppApp");

        // A pasted text with several lines brings only its first.
        SetClipboardText(L"Zelqa\r\nrm -rf");
        Key(&dlg, 'A', MK_CONTROL);
        Key(&dlg, 'V', MK_CONTROL);
        EXPECT_EQ(edit.GetWindowText(), L"Zelqa");

        // Letters without Ctrl are only typed text, not shortcuts.
        Key(&dlg, 'A');
        Key(&dlg, VK_LEFT, MK_SHIFT);
        Key(&dlg, 'X');
        EXPECT_EQ(edit.GetWindowText(), L"Zelqa");

        // A text set from outside starts with the caret at the start and no selection.
        edit.SetWindowText(L"F:\\Other");
        edit.GetSel(start, end);
        EXPECT_EQ(start, 0);
        EXPECT_EQ(end, 0);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, MouseDragSelectsAndShowsTheHighlight)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        CCustomDrawEdit& edit = dlg.m_box.m_edit;
        const CRect rcEdit = dlg.EditRect();
        EXPECT_EQ(Pixels(&dlg).Count(rcEdit, kHighlight), 0);

        SendMouseButton(&dlg, dlg.EditPoint(1), true);
        SendMouseMove(&dlg, dlg.EditPoint(60));
        SendMouseButton(&dlg, dlg.EditPoint(60), false);
        PumpMessages();
        int start = -1, end = -1;
        edit.GetSel(start, end);
        EXPECT_EQ(start, 0);
        EXPECT_GT(end, 2);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        const int highlighted = Pixels(&dlg).Count(rcEdit, kHighlight);
        EXPECT_GT(highlighted, 30);

        // Shift+click moves the selection's free end.
        SendKey(&dlg, VK_SHIFT, true, MK_SHIFT);
        SendMouseButton(&dlg, dlg.EditPoint(rcEdit.Width() - 2), true);
        SendMouseButton(&dlg, dlg.EditPoint(rcEdit.Width() - 2), false);
        SendKey(&dlg, VK_SHIFT, false, 0);
        PumpMessages();
        edit.GetSel(start, end);
        EXPECT_EQ(start, 0);
        EXPECT_EQ(end, static_cast<int>(kPath.size()));
        EXPECT_GT(Pixels(&dlg).Count(rcEdit, kHighlight), highlighted);

        // The selection is shown only while the field has the focus.
        dlg.SetFocus();
        PumpMessages();
        EXPECT_EQ(Pixels(&dlg).Count(rcEdit, kHighlight), 0);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, LongTextScrollsToKeepTheCaretInViewAndStaysInsideTheField)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        CCustomDrawEdit& edit = dlg.m_box.m_edit;
        const CRect rcEdit = dlg.EditRect();
        const CRect rcBox = dlg.m_rcBox;
        Click(dlg, rcEdit.Width() - 2);
        std::wstring tail;
        for (int i = 0; i < 8; ++i)
            tail += L"\\子目录" + std::to_wstring(i);
        Type(&dlg, tail);
        EXPECT_EQ(edit.GetWindowText(), kPath + tail);

        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(edit.GetFont());
        const int textWidth = dc.GetTextExtent(edit.GetWindowText()).cx;
        ASSERT_GT(textWidth, rcEdit.Width());
        const CEditState& state = *GetEditStateForTesting(edit);
        EXPECT_GT(state.GetScrollX(), 0);
        EXPECT_EQ(state.GetScrollX(), textWidth - (rcEdit.Width() - 3)) << "scrolled just enough";

        Pixels scrolled(&dlg);
        // Neither the field's text nor its caret spill into the frame's margin.
        const CRect rcMarginRight(rcEdit.right, rcBox.top + 1, rcBox.right - 1, rcBox.bottom - 1);
        const CRect rcMarginLeft(rcBox.left + 1, rcBox.top + 1, rcEdit.left, rcBox.bottom - 1);
        EXPECT_EQ(scrolled.Count(rcMarginRight, kWhite), rcMarginRight.Width() * rcMarginRight.Height());
        EXPECT_EQ(scrolled.Count(rcMarginLeft, kWhite), rcMarginLeft.Width() * rcMarginLeft.Height());

        Key(&dlg, VK_HOME);
        EXPECT_EQ(state.GetScrollX(), 0);
        Pixels unscrolled(&dlg);
        EXPECT_NE(scrolled.px, unscrolled.px);

        // Walking right scrolls only once the caret reaches the right edge.
        int steps = 0;
        while (state.GetScrollX() == 0 && steps < 200) {
            Key(&dlg, VK_RIGHT);
            ++steps;
        }
        const int caretX = state.PosToX(state.GetCaret(),
                                        [&](std::wstring_view t) { return static_cast<int>(dc.GetTextExtent(t).cx); });
        EXPECT_GT(caretX, rcEdit.Width() - 3);
        EXPECT_LE(caretX - state.GetScrollX(), rcEdit.Width() - 3);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(EditBoxTest, CaretStandsAtTheInsertionPointOnlyWhileFocused)
{
    CBoxDialog dlg;
    RunWhenIdle([&] {
        CCustomDrawEdit& edit = dlg.m_box.m_edit;
        const CRect rcEdit = dlg.EditRect();
        Click(dlg, rcEdit.Width() - 3);
        Type(&dlg, L"\\a");

        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(edit.GetFont());
        const auto measure = [&](std::wstring_view t) { return static_cast<int>(dc.GetTextExtent(t).cx); };
        const CEditState& state = *GetEditStateForTesting(edit);
        const int x = rcEdit.left + 1 + state.PosToX(state.GetCaret(), measure) - state.GetScrollX();
        const CRect rcColumn(x, rcEdit.top, x + 1, rcEdit.bottom);
        // Typing shows the caret at once, a full cell high in the text colour.
        EXPECT_EQ(Pixels(&dlg).Count(rcColumn, 0x656565), rcEdit.Height());

        dlg.SetFocus();
        PumpMessages();
        EXPECT_FALSE(IsTextInputActive());
        EXPECT_LT(Pixels(&dlg).Count(rcColumn, 0x656565), rcEdit.Height() / 2);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

// Message routing of the Win32 backend: what reaches the typed handlers,
// what is handed back to the controls, and what goes on to the classes.
#include <string>

#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/Brush.h"
#include "framework/Static.h"
#include "tests/win32/framework/TestWindows.h"

namespace
{
// An edit field that answers colour requests with its own brush and counts
// the characters it is sent before its class handles them.
class CCountingEdit : public CEdit
{
public:
    CCountingEdit() { m_brBack.CreateSolidBrush(RGB(255, 0, 0)); }
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override
    {
        m_nLastKind = nCtlColor;
        ++m_nRequests;
        pDC->SetBkColor(RGB(255, 0, 0));
        return m_brBack.GetSafeHandle();
    }
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override
    {
        ++m_nChars;
        CEdit::OnChar(nChar, nRepCnt, nFlags);
    }

    CBrush m_brBack;
    UINT m_nLastKind = 0;
    int m_nRequests = 0;
    int m_nChars = 0;
};

// A window between the edit field and the top-level window, as the skinned
// edit box's frame is; it sees every key that is offered on the way up.
class CKeyWatcher : public CStatic
{
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            m_keys.push_back(static_cast<UINT>(pMsg->wParam));
        return FALSE;
    }
    std::vector<UINT> m_keys;
};

// The installer's filter: Space never reaches a control.
class CSpaceEater : public CTestTopWindow
{
public:
    BOOL PreTranslateMessage(MSG* pMsg) override { return pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_SPACE; }
};
} // namespace

TEST_F(Win32Backend, DrawRequestsComeBackToTheButton)
{
    CTestTopWindow top;
    ASSERT_TRUE(top.Open(200, 100));
    CTestOwnerDrawButton button;
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 60, 40), &top, 77));
    // PreSubclassWindow ran before the button's first message: it is owner-drawn from the start.
    EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    PumpMessages();
    ASSERT_GT(button.m_nDraws, 0);
    EXPECT_EQ(button.m_lastDraw.CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(button.m_lastDraw.CtlID, 77u);
    EXPECT_EQ(button.m_lastDraw.hwndItem, button.GetSafeHwnd());
    EXPECT_EQ(CRect(button.m_lastDraw.rcItem), CRect(0, 0, 50, 30));
}

TEST_F(Win32Backend, AButtonDrawnOverTheSkinIsNotErasedByItsClass)
{
    CTestTopWindow top(RGB(0, 0, 255));
    ASSERT_TRUE(top.Open(200, 100));
    CTestOwnerDrawButton button; // draws nothing, and leaves erasing to the button class
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 40), &top, 77));
    PumpMessages();
    button.Invalidate(TRUE);
    PumpMessages();
    EXPECT_GT(button.m_nDraws, 1);
    EXPECT_EQ(PixelOf(&top, 30, 20), 0x0000FFu); // the window's blue, not the dialog grey
}

TEST_F(Win32Backend, ADoubleClickOnAButtonIsTwoClicks)
{
    CTestTopWindow top;
    ASSERT_TRUE(top.Open(200, 100));
    CTestOwnerDrawButton button;
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 40), &top, 77));
    PumpMessages();
    for (int i = 0; i < 2; ++i) {
        SendMouseButton(&top, CPoint(30, 20), true);
        SendMouseButton(&top, CPoint(30, 20), false);
    }
    PumpMessages();
    const std::vector<std::pair<UINT, UINT>> expected{{77u, BN_CLICKED}, {77u, BN_CLICKED}};
    EXPECT_EQ(top.m_commands, expected);
}

TEST_F(Win32Backend, AnEditFieldKeepsItsDoubleClick)
{
    CTestTopWindow top;
    ASSERT_TRUE(top.Open(300, 100));
    CCountingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 290, 40), &top, 1));
    edit.SetWindowText(L"alpha beta");
    PumpMessages();
    for (int i = 0; i < 2; ++i) {
        SendMouseButton(&top, CPoint(14, 25), true);
        SendMouseButton(&top, CPoint(14, 25), false);
    }
    int nStart = -1;
    int nEnd = -1;
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 0);
    EXPECT_GE(nEnd, 5); // the first word, selected as a double click selects it
    EXPECT_LE(nEnd, 6);
}

TEST_F(Win32Backend, ColourRequestsAreAnsweredByTheFieldItself)
{
    CTestTopWindow top(RGB(255, 255, 255));
    ASSERT_TRUE(top.Open(300, 100));
    CKeyWatcher frame;
    ASSERT_TRUE(frame.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 100), &top, 5));
    CCountingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 290, 40), &frame, 1));
    PumpMessages();
    EXPECT_GT(edit.m_nRequests, 0);
    EXPECT_EQ(edit.m_nLastKind, static_cast<UINT>(CTLCOLOR_EDIT));
    EXPECT_EQ(PixelOf(&top, 200, 25), 0xFF0000u); // the field's red brush filled it
}

TEST_F(Win32Backend, KeysAreOfferedUpTheParentChainBeforeTheyAreTyped)
{
    CSpaceEater top;
    ASSERT_TRUE(top.Open(300, 100));
    CKeyWatcher frame;
    ASSERT_TRUE(frame.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 100), &top, 5));
    CCountingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 290, 40), &frame, 1));
    PumpMessages();
    SendMouseButton(&top, CPoint(100, 25), true);
    SendMouseButton(&top, CPoint(100, 25), false);
    ASSERT_EQ(CWnd::GetFocus(), &edit);

    SendKey(&top, 'A', true);
    SendKey(&top, 'A', false);
    SendKey(&top, VK_SPACE, true);
    SendKey(&top, VK_SPACE, false);
    SendText(&top, L"转b");
    PumpMessages();
    // The frame saw both keys on their way up; the top-level window swallowed
    // Space, which therefore never became a character.
    ASSERT_GE(frame.m_keys.size(), 2u);
    EXPECT_EQ(frame.m_keys[0], static_cast<UINT>('A'));
    EXPECT_EQ(frame.m_keys[1], static_cast<UINT>(VK_SPACE));
    EXPECT_EQ(edit.GetWindowText(), L"a转b");
    EXPECT_EQ(edit.m_nChars, 3); // the override ran, and its base typed them
}

TEST_F(Win32Backend, EscapeCancelsADialogAndEnterConfirmsIt)
{
    for (const auto& [vk, nExpected] : {std::pair<UINT, INT_PTR>{VK_ESCAPE, IDCANCEL}, {VK_RETURN, IDOK}}) {
        CDialog dialog(103);
        RunWhenIdle([&dialog, vk = vk] {
            SendKey(&dialog, vk, true);
            SendKey(&dialog, vk, false);
            PumpMessages();
            if (!IsModalRunEnded(&dialog))
                dialog.EndDialog(-5); // the key did nothing: end the run all the same
        });
        EXPECT_EQ(dialog.DoModal(), nExpected) << "key " << vk;
    }
}

TEST_F(Win32Backend, AHandlersDefaultIsTheClassProcedure)
{
    CTestTopWindow top;
    ASSERT_TRUE(top.Open(300, 100));
    CCountingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 290, 40), &top, 1));
    edit.SetWindowText(L"abc");
    edit.SetFocus();
    edit.SetSel(3, 3);
    // Called directly, outside any message, the base handler still reaches the edit class.
    edit.OnKeyDown(VK_HOME, 1, 0);
    int nStart = -1;
    int nEnd = -1;
    edit.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 0);
    EXPECT_EQ(nEnd, 0);
    edit.OnChar('x', 1, 0);
    EXPECT_EQ(edit.GetWindowText(), L"xabc");
}

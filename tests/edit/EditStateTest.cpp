#include <gtest/gtest.h>

#include "framework/linux/EditState.h"

namespace
{
// Every wchar_t unit 10 pixels wide, so positions and pixels are easy to relate.
int TenEach(std::wstring_view text)
{
    return static_cast<int>(text.size()) * 10;
}
const CEditState::TextMeasure kMeasure = TenEach;

CEditState Typed(const std::wstring& text)
{
    CEditState state;
    for (wchar_t c : text)
        state.InsertChar(static_cast<char32_t>(c));
    return state;
}
} // namespace

TEST(EditState, TypingInsertsAtTheCaretAndRefusesControlCharacters)
{
    CEditState state = Typed(L"C:\\Pgm");
    state.MoveLeft(false);
    state.MoveLeft(false);
    state.InsertChar(U'r');
    state.InsertChar(U'o');
    EXPECT_EQ(state.GetText(), L"C:\\Progm");
    EXPECT_EQ(state.GetCaret(), 6u);

    EXPECT_FALSE(state.InsertChar(0x08));
    EXPECT_FALSE(state.InsertChar(U'\r'));
    EXPECT_FALSE(state.InsertChar(0x7F));
    EXPECT_FALSE(state.InsertChar(0xD800)); // half a pair is no character
    EXPECT_EQ(state.GetText(), L"C:\\Progm");

    // Chinese from an input method arrives as ordinary characters.
    state.MoveEnd(false);
    state.ReplaceSel(L"\\安装");
    EXPECT_EQ(state.GetText(), L"C:\\Progm\\安装");
    EXPECT_EQ(state.GetCaret(), state.GetText().size());
}

TEST(EditState, TypingReplacesTheSelection)
{
    CEditState state;
    state.SetText(L"D:\\Apps\\Zelqa");
    state.SetSel(3, 7);
    EXPECT_EQ(state.GetSelectedText(), L"Apps");
    state.InsertChar(U'X');
    EXPECT_EQ(state.GetText(), L"D:\\X\\Zelqa");
    EXPECT_FALSE(state.HasSelection());
    EXPECT_EQ(state.GetCaret(), 4u);
}

TEST(EditState, BackspaceAndDeleteRemoveWholeCharacters)
{
    // A character outside the basic plane stored as a UTF-16 pair is one
    // character, wherever wchar_t is 16 bits wide or the text holds pairs.
    const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    CEditState state;
    state.SetText(L"a" + pair + L"b");
    state.MoveEnd(false);
    state.MoveLeft(false);
    EXPECT_EQ(state.GetCaret(), 3u);
    state.MoveLeft(false);
    EXPECT_EQ(state.GetCaret(), 1u) << "left steps over the pair at once";
    state.MoveRight(false);
    EXPECT_EQ(state.GetCaret(), 3u);

    EXPECT_TRUE(state.DeleteBack());
    EXPECT_EQ(state.GetText(), L"ab");
    EXPECT_EQ(state.GetCaret(), 1u);

    state.SetText(L"a" + pair + L"b");
    state.MoveTo(1, false);
    EXPECT_TRUE(state.DeleteForward());
    EXPECT_EQ(state.GetText(), L"ab");

    // A position inside a pair means the pair's start.
    state.SetText(L"a" + pair);
    state.SetSel(2, 2);
    EXPECT_EQ(state.GetCaret(), 1u);

    // Nothing to delete at either end.
    state.SetText(L"xy");
    EXPECT_FALSE(state.DeleteBack());
    state.MoveEnd(false);
    EXPECT_FALSE(state.DeleteForward());
    EXPECT_EQ(state.GetText(), L"xy");

    // With a selection both keys remove exactly the selection.
    state.SetSel(0, 1);
    EXPECT_TRUE(state.DeleteForward());
    EXPECT_EQ(state.GetText(), L"y");
}

TEST(EditState, ShiftSelectionHomeEndAndCollapse)
{
    CEditState state;
    state.SetText(L"abcdef");
    state.MoveTo(2, false);
    state.MoveRight(true);
    state.MoveRight(true);
    EXPECT_EQ(state.GetSelectedText(), L"cd");
    EXPECT_EQ(state.GetAnchor(), 2u);

    // Shift+Home selects back past the anchor; the anchor stays.
    state.MoveHome(true);
    EXPECT_EQ(state.GetSelectedText(), L"ab");
    EXPECT_EQ(state.GetCaret(), 0u);
    state.MoveEnd(true);
    EXPECT_EQ(state.GetSelectedText(), L"cdef");

    // An arrow without Shift collapses to the selection's edge, not beyond it.
    state.SetSel(1, 4);
    state.MoveLeft(false);
    EXPECT_EQ(state.GetCaret(), 1u);
    EXPECT_FALSE(state.HasSelection());
    state.SetSel(4, 1);
    state.MoveRight(false);
    EXPECT_EQ(state.GetCaret(), 4u);

    // Home and End without Shift drop the selection.
    state.SelectAll();
    state.MoveHome(false);
    EXPECT_FALSE(state.HasSelection());
    EXPECT_EQ(state.GetCaret(), 0u);
}

TEST(EditState, PastedTextKeepsItsFirstLineAndTheLimit)
{
    CEditState state;
    state.SetText(L"C:\\");
    state.MoveEnd(false);
    EXPECT_TRUE(state.ReplaceSel(L"Program\tFiles\r\nsecond line"));
    EXPECT_EQ(state.GetText(), L"C:\\ProgramFiles");

    // The limit lets in what fits, never half a pair.
    const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    state.SetText(L"abc");
    state.SetLimit(5);
    state.MoveEnd(false);
    EXPECT_TRUE(state.ReplaceSel(L"d" + pair));
    EXPECT_EQ(state.GetText(), L"abcd");
    EXPECT_TRUE(state.InsertChar(U'e'));
    EXPECT_FALSE(state.InsertChar(U'f'));
    EXPECT_EQ(state.GetText(), L"abcde");

    // Replacing a selection frees its room first.
    state.SetSel(0, 5);
    EXPECT_TRUE(state.ReplaceSel(L"vwxyz"));
    EXPECT_EQ(state.GetText(), L"vwxyz");
}

TEST(EditState, ScrollKeepsTheCaretInView)
{
    CEditState state;
    state.SetText(std::wstring(30, L'x')); // 300 pixels in a 100-pixel view
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 0);

    state.MoveEnd(false);
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 200);
    const int caretInView = state.PosToX(state.GetCaret(), kMeasure) - state.GetScrollX();
    EXPECT_GE(caretInView, 0);
    EXPECT_LE(caretInView, 100);

    // Moving left inside the view does not scroll; past its left edge scrolls just enough.
    state.MoveTo(25, false);
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 200);
    state.MoveTo(12, false);
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 120);
    state.MoveHome(false);
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 0);

    // Deleting at the end while scrolled brings hidden text back instead of blank space.
    state.MoveEnd(false);
    state.EnsureCaretVisible(100, kMeasure);
    state.SetSel(10, 30);
    state.DeleteBack();
    state.EnsureCaretVisible(100, kMeasure);
    EXPECT_EQ(state.GetScrollX(), 0);

    // A new text starts unscrolled.
    state.SetText(std::wstring(30, L'y'));
    EXPECT_EQ(state.GetScrollX(), 0);
    EXPECT_EQ(state.GetCaret(), 0u);
}

TEST(EditState, PointsMapToTheNearestBoundaryThroughTheScroll)
{
    CEditState state;
    state.SetText(std::wstring(30, L'x'));
    EXPECT_EQ(state.PosFromX(-5, kMeasure), 0u);
    EXPECT_EQ(state.PosFromX(14, kMeasure), 1u);
    EXPECT_EQ(state.PosFromX(16, kMeasure), 2u);
    EXPECT_EQ(state.PosFromX(1000, kMeasure), 30u);

    state.MoveEnd(false);
    state.EnsureCaretVisible(100, kMeasure); // scrolled by 200
    EXPECT_EQ(state.PosFromX(0, kMeasure), 20u);
    EXPECT_EQ(state.PosFromX(-10, kMeasure), 19u) << "left of the view is the character just hidden";

    // Never inside a pair.
    const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    state.SetText(L"a" + pair + L"b"); // the pair is 20 pixels wide here
    EXPECT_EQ(state.PosFromX(18, kMeasure), 1u);
    EXPECT_EQ(state.PosFromX(22, kMeasure), 3u);
}

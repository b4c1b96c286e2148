#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The text, caret, selection and horizontal scroll of a single-line edit field,
// free of any window. Positions are indices into the wchar_t text and always lie
// on character boundaries: a UTF-16 surrogate pair counts as one character, so
// the same code is right where wchar_t is 16 bits wide and where it is 32.
class CEditState
{
public:
    // Width in pixels of a piece of text in the field's font.
    using TextMeasure = std::function<int(std::wstring_view)>;

    const std::wstring& GetText() const { return m_strText; }
    // Replaces the whole text; caret, selection and scroll go back to the start.
    void SetText(std::wstring_view text);

    size_t GetCaret() const { return m_nCaret; }
    size_t GetAnchor() const { return m_nAnchor; }
    bool HasSelection() const { return m_nCaret != m_nAnchor; }
    size_t GetSelStart() const { return m_nCaret < m_nAnchor ? m_nCaret : m_nAnchor; }
    size_t GetSelEnd() const { return m_nCaret < m_nAnchor ? m_nAnchor : m_nCaret; }
    std::wstring GetSelectedText() const;
    // Selects from nAnchor to nCaret (the caret is the moving end); positions
    // past the end mean the end, and a position inside a character means its start.
    void SetSel(size_t nAnchor, size_t nCaret);
    void SelectAll() { SetSel(0, m_strText.size()); }

    // The most wchar_t units the text may hold; what does not fit is not inserted.
    void SetLimit(size_t nLimit) { m_nLimit = nLimit; }
    size_t GetLimit() const { return m_nLimit; }

    // Replaces the selection (or inserts at the caret) with `text`, cut at its
    // first line break and without control characters, as much as the limit
    // lets in; the caret ends after it. False when nothing changed.
    bool ReplaceSel(std::wstring_view text);
    // Inserts one typed character (a code point); control characters are refused.
    bool InsertChar(char32_t ch);
    // Backspace and Delete: the selection, or one whole character before or after the caret.
    bool DeleteBack();
    bool DeleteForward();

    // Caret movement; with bExtend the anchor stays, else the selection collapses.
    void MoveLeft(bool bExtend);
    void MoveRight(bool bExtend);
    void MoveHome(bool bExtend);
    void MoveEnd(bool bExtend);
    void MoveTo(size_t nPos, bool bExtend);

    // Horizontal scroll: how many pixels of the text lie left of the view.
    int GetScrollX() const { return m_nScrollX; }
    // Text x of a position: the width of the text before it.
    int PosToX(size_t nPos, const TextMeasure& measure) const;
    // The position whose boundary lies nearest to x, given in view pixels
    // (0 is the view's left edge; the scroll is added here).
    size_t PosFromX(int x, const TextMeasure& measure) const;
    // Scrolls as little as needed so that the caret lies in [0, nViewWidth] of
    // the view, and no further right than the text needs.
    void EnsureCaretVisible(int nViewWidth, const TextMeasure& measure);

    size_t NextBoundary(size_t nPos) const;
    size_t PrevBoundary(size_t nPos) const;

private:
    size_t Snap(size_t nPos) const;
    void Collapse(size_t nPos);
    bool DeleteRange(size_t nStart, size_t nEnd);

    std::wstring m_strText;
    size_t m_nCaret = 0;
    size_t m_nAnchor = 0;
    size_t m_nLimit = 32767;
    int m_nScrollX = 0;
};

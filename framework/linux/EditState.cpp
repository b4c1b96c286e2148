#include "framework/linux/EditState.h"

#include <algorithm>

namespace
{
bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsControl(char32_t ch)
{
    return ch < 0x20 || (ch >= 0x7F && ch < 0xA0);
}

// Appends a code point in the encoding of the platform's wchar_t.
void AppendCodePoint(std::wstring& out, char32_t ch)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (ch > 0xFFFF) {
            ch -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (ch >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (ch & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(ch));
}
} // namespace

void CEditState::SetText(std::wstring_view text)
{
    m_strText.assign(text);
    m_nCaret = m_nAnchor = 0;
    m_nScrollX = 0;
}

std::wstring CEditState::GetSelectedText() const
{
    return m_strText.substr(GetSelStart(), GetSelEnd() - GetSelStart());
}

size_t CEditState::Snap(size_t nPos) const
{
    if (nPos >= m_strText.size())
        return m_strText.size();
    if (nPos > 0 && IsLowSurrogate(m_strText[nPos]) && IsHighSurrogate(m_strText[nPos - 1]))
        return nPos - 1;
    return nPos;
}

size_t CEditState::NextBoundary(size_t nPos) const
{
    nPos = Snap(nPos);
    if (nPos >= m_strText.size())
        return m_strText.size();
    if (IsHighSurrogate(m_strText[nPos]) && nPos + 1 < m_strText.size() && IsLowSurrogate(m_strText[nPos + 1]))
        return nPos + 2;
    return nPos + 1;
}

size_t CEditState::PrevBoundary(size_t nPos) const
{
    nPos = Snap(nPos);
    if (nPos == 0)
        return 0;
    return Snap(nPos - 1);
}

void CEditState::SetSel(size_t nAnchor, size_t nCaret)
{
    m_nAnchor = Snap(nAnchor);
    m_nCaret = Snap(nCaret);
}

void CEditState::Collapse(size_t nPos)
{
    m_nCaret = m_nAnchor = Snap(nPos);
}

bool CEditState::ReplaceSel(std::wstring_view text)
{
    // A single line takes only the first line of what it is given.
    const size_t nBreak = text.find_first_of(L"\r\n");
    if (nBreak != std::wstring_view::npos)
        text = text.substr(0, nBreak);

    std::wstring clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c)) {
            // Only a complete pair is a character; a lone half is dropped.
            if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                clean.push_back(c);
                clean.push_back(text[++i]);
            }
            continue;
        }
        if (IsLowSurrogate(c) || IsControl(static_cast<char32_t>(c)))
            continue;
        clean.push_back(c);
    }

    const size_t nStart = GetSelStart();
    const size_t nEnd = GetSelEnd();
    const size_t nKept = m_strText.size() - (nEnd - nStart);
    const size_t nRoom = m_nLimit > nKept ? m_nLimit - nKept : 0;
    if (clean.size() > nRoom) {
        size_t nFit = nRoom;
        // Never keep half of a pair.
        if (nFit > 0 && IsHighSurrogate(clean[nFit - 1]))
            --nFit;
        clean.resize(nFit);
    }
    if (clean.empty() && nStart == nEnd)
        return false;
    m_strText.replace(nStart, nEnd - nStart, clean);
    Collapse(nStart + clean.size());
    return true;
}

bool CEditState::InsertChar(char32_t ch)
{
    if (IsControl(ch) || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return false;
    std::wstring one;
    AppendCodePoint(one, ch);
    return ReplaceSel(one);
}

bool CEditState::DeleteRange(size_t nStart, size_t nEnd)
{
    if (nStart >= nEnd)
        return false;
    m_strText.erase(nStart, nEnd - nStart);
    Collapse(nStart);
    return true;
}

bool CEditState::DeleteBack()
{
    if (HasSelection())
        return DeleteRange(GetSelStart(), GetSelEnd());
    return DeleteRange(PrevBoundary(m_nCaret), m_nCaret);
}

bool CEditState::DeleteForward()
{
    if (HasSelection())
        return DeleteRange(GetSelStart(), GetSelEnd());
    return DeleteRange(m_nCaret, NextBoundary(m_nCaret));
}

void CEditState::MoveTo(size_t nPos, bool bExtend)
{
    m_nCaret = Snap(nPos);
    if (!bExtend)
        m_nAnchor = m_nCaret;
}

void CEditState::MoveLeft(bool bExtend)
{
    // Without Shift a selection collapses to its start rather than moving on.
    if (!bExtend && HasSelection())
        Collapse(GetSelStart());
    else
        MoveTo(PrevBoundary(m_nCaret), bExtend);
}

void CEditState::MoveRight(bool bExtend)
{
    if (!bExtend && HasSelection())
        Collapse(GetSelEnd());
    else
        MoveTo(NextBoundary(m_nCaret), bExtend);
}

void CEditState::MoveHome(bool bExtend)
{
    MoveTo(0, bExtend);
}

void CEditState::MoveEnd(bool bExtend)
{
    MoveTo(m_strText.size(), bExtend);
}

int CEditState::PosToX(size_t nPos, const TextMeasure& measure) const
{
    nPos = Snap(nPos);
    return nPos == 0 ? 0 : measure(std::wstring_view(m_strText).substr(0, nPos));
}

size_t CEditState::PosFromX(int x, const TextMeasure& measure) const
{
    const int nTextX = x + m_nScrollX;
    if (nTextX <= 0)
        return 0;
    // Widths grow with the position, so the first position at or right of x is
    // found by halving (a pasted text may be long, and this runs on every drag).
    size_t nLow = 0;
    size_t nHigh = m_strText.size();
    while (nLow < nHigh) {
        const size_t nMid = nLow + (nHigh - nLow) / 2;
        if (PosToX(nMid, measure) < nTextX)
            nLow = nMid + 1;
        else
            nHigh = nMid;
    }
    const size_t nAfter = Snap(nLow);
    const int nAfterX = PosToX(nAfter, measure);
    if (nAfterX < nTextX)
        return m_strText.size();
    const size_t nBefore = PrevBoundary(nAfter);
    const int nBeforeX = PosToX(nBefore, measure);
    // Left half of the character: before it; right half: after it.
    return (nTextX - nBeforeX) * 2 < (nAfterX - nBeforeX) ? nBefore : nAfter;
}

void CEditState::EnsureCaretVisible(int nViewWidth, const TextMeasure& measure)
{
    nViewWidth = std::max(0, nViewWidth);
    const int nCaretX = PosToX(m_nCaret, measure);
    if (nCaretX < m_nScrollX)
        m_nScrollX = nCaretX;
    else if (nCaretX - m_nScrollX > nViewWidth)
        m_nScrollX = nCaretX - nViewWidth;
    // After a deletion, no blank space is left at the right while text is hidden at the left.
    const int nTextWidth = PosToX(m_strText.size(), measure);
    m_nScrollX = std::max(0, std::min(m_nScrollX, nTextWidth - nViewWidth));
}

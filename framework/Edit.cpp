#include "framework/Edit.h"

#include <algorithm>
#include <memory>

#include "framework/Clipboard.h"
#include "framework/DC.h"
#include "framework/Keyboard.h"
#include "framework/TextInput.h"

namespace
{
constexpr COLORREF kHighlight = RGB(0, 120, 215);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr size_t kDefaultLimit = 32767;

bool IsHighSurrogate(UINT c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(UINT c) { return c >= 0xDC00 && c <= 0xDFFF; }
} // namespace

CEdit::~CEdit()
{
    // Destroyed here, while OnDestroy still reaches this class.
    DestroyWindow();
}

BOOL CEdit::Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, L"", dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetFont(HFONT hFont, BOOL bRedraw)
{
    m_hFont = hFont;
    if (!m_hWnd)
        return;
    m_state.EnsureCaretVisible(ViewWidth(), Measurer());
    if (bRedraw)
        Invalidate(FALSE);
}

CEditState::TextMeasure CEdit::Measurer() const
{
    auto dc = std::make_shared<CDC>();
    dc->CreateCompatibleDC(nullptr);
    if (m_hFont)
        dc->SelectObject(m_hFont);
    return [dc](std::wstring_view text) { return static_cast<int>(dc->GetTextExtent(text).cx); };
}

int CEdit::ViewWidth() const
{
    CRect rc;
    GetClientRect(&rc);
    // The caret may stand on the last column inside the margin.
    return std::max(0, static_cast<int>(rc.Width()) - 2 * kMargin - 1);
}

int CEdit::CellHeight() const
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (m_hFont)
        dc.SelectObject(m_hFont);
    return dc.GetTextExtent(L" ", 1).cy;
}

CRect CEdit::CaretRect() const
{
    CRect rc;
    GetClientRect(&rc);
    const int x = kMargin + m_state.PosToX(m_state.GetCaret(), Measurer()) - m_state.GetScrollX();
    return CRect(x, 0, x + 1, std::min(static_cast<LONG>(CellHeight()), rc.Height()));
}

void CEdit::RestartBlink()
{
    m_bCaretShown = true;
    SetTimer(kCaretTimer, kCaretBlinkMs);
}

void CEdit::Changed(bool bTextChanged)
{
    if (!m_hWnd)
        return;
    m_state.EnsureCaretVisible(ViewWidth(), Measurer());
    if (bTextChanged) {
        m_bStoringText = true;
        CWnd::SetWindowText(m_state.GetText().c_str());
        m_bStoringText = false;
    }
    if (m_bFocused)
        RestartBlink();
    Invalidate(FALSE);
}

void CEdit::OnSetText()
{
    if (m_bStoringText)
        return;
    // A text from outside starts afresh: caret at the start, nothing selected.
    m_state.SetText(GetWindowText());
    m_chPendingHigh = 0;
    if (m_bFocused)
        RestartBlink();
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = static_cast<int>(m_state.GetSelStart());
    nEndChar = static_cast<int>(m_state.GetSelEnd());
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    const size_t nEnd = nEndChar < 0 ? m_state.GetText().size() : static_cast<size_t>(nEndChar);
    if (nStartChar < 0)
        m_state.MoveTo(m_state.GetCaret(), false);
    else
        m_state.SetSel(static_cast<size_t>(nStartChar), nEnd);
    if (bNoScroll) {
        Invalidate(FALSE);
        return;
    }
    Changed(false);
}

void CEdit::ReplaceSel(const wchar_t* pszNewText, BOOL)
{
    if (m_state.ReplaceSel(pszNewText ? pszNewText : L""))
        Changed(true);
}

void CEdit::LimitText(int nChars)
{
    m_state.SetLimit(nChars > 0 ? static_cast<size_t>(nChars) : kDefaultLimit);
}

void CEdit::Copy()
{
    if (m_state.HasSelection())
        SetClipboardText(m_state.GetSelectedText());
}

void CEdit::Cut()
{
    if (!m_state.HasSelection())
        return;
    // The text goes only when the clipboard has taken it.
    if (SetClipboardText(m_state.GetSelectedText()))
        Clear();
}

void CEdit::Paste()
{
    std::wstring text;
    if (GetClipboardText(text))
        ReplaceSel(text.c_str());
}

void CEdit::Clear()
{
    if (m_state.HasSelection() && m_state.DeleteBack())
        Changed(true);
}

void CEdit::OnSetFocus(CWnd*)
{
    m_bFocused = true;
    m_chPendingHigh = 0;
    RestartBlink();
    StartTextInput(this, CaretRect());
    Invalidate(FALSE);
}

void CEdit::OnKillFocus(CWnd*)
{
    m_bFocused = false;
    m_bCaretShown = false;
    KillTimer(kCaretTimer);
    StopTextInput();
    // The selection is shown only while the field has the focus.
    Invalidate(FALSE);
}

void CEdit::OnDestroy()
{
    // Destruction takes the focus without telling the window, so text input is stopped here.
    if (m_bFocused) {
        m_bFocused = false;
        StopTextInput();
    }
    if (m_bDragging && GetCapture() == this)
        ReleaseCapture();
    m_bDragging = false;
}

void CEdit::OnKeyDown(UINT nChar, UINT, UINT)
{
    const bool bShift = IsKeyDown(VK_SHIFT);
    const bool bCtrl = IsKeyDown(VK_CONTROL);
    switch (nChar) {
    case VK_LEFT:
        m_state.MoveLeft(bShift);
        Changed(false);
        break;
    case VK_RIGHT:
        m_state.MoveRight(bShift);
        Changed(false);
        break;
    case VK_HOME:
        m_state.MoveHome(bShift);
        Changed(false);
        break;
    case VK_END:
        m_state.MoveEnd(bShift);
        Changed(false);
        break;
    case VK_BACK:
        // Handled here only; the control character that may follow as OnChar is ignored.
        if (m_state.DeleteBack())
            Changed(true);
        break;
    case VK_DELETE:
        if (bShift)
            Cut();
        else if (m_state.DeleteForward())
            Changed(true);
        break;
    case VK_INSERT:
        if (bCtrl)
            Copy();
        else if (bShift)
            Paste();
        break;
    case 'A':
        if (bCtrl) {
            m_state.SelectAll();
            Changed(false);
        }
        break;
    case 'C':
        if (bCtrl)
            Copy();
        break;
    case 'X':
        if (bCtrl)
            Cut();
        break;
    case 'V':
        if (bCtrl)
            Paste();
        break;
    default:
        break;
    }
}

void CEdit::OnChar(UINT nChar, UINT, UINT)
{
    // A character outside the basic plane may come as two halves in a row.
    if (IsHighSurrogate(nChar)) {
        m_chPendingHigh = static_cast<wchar_t>(nChar);
        return;
    }
    char32_t ch = static_cast<char32_t>(nChar);
    if (IsLowSurrogate(nChar)) {
        if (!m_chPendingHigh)
            return;
        ch = 0x10000 + ((static_cast<char32_t>(m_chPendingHigh) - 0xD800) << 10) + (nChar - 0xDC00);
    }
    m_chPendingHigh = 0;
    if (m_state.InsertChar(ch))
        Changed(true);
}

void CEdit::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_state.MoveTo(m_state.PosFromX(point.x - kMargin, Measurer()), (nFlags & MK_SHIFT) != 0);
    m_bDragging = true;
    SetCapture();
    Changed(false);
}

void CEdit::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bDragging || !(nFlags & MK_LBUTTON))
        return;
    // Beyond either edge this picks the character just outside the view, so
    // the drag scrolls the text.
    const size_t nPos = m_state.PosFromX(point.x - kMargin, Measurer());
    if (nPos == m_state.GetCaret())
        return;
    m_state.MoveTo(nPos, true);
    Changed(false);
}

void CEdit::OnLButtonUp(UINT, CPoint)
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (GetCapture() == this)
        ReleaseCapture();
}

void CEdit::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kCaretTimer || !m_bFocused)
        return;
    m_bCaretShown = !m_bCaretShown;
    const CRect rc = CaretRect();
    InvalidateRect(&rc, FALSE);
}

void CEdit::DefaultPaint(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    const int nSaved = pDC->SaveDC();

    // The system's window colours unless the parent answers otherwise.
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->SetBkColor(RGB(255, 255, 255));
    CWnd* pParent = GetParent();
    HBRUSH hBrush = pParent ? pParent->OnCtlColor(pDC, this, CTLCOLOR_EDIT) : nullptr;
    if (hBrush)
        pDC->FillRect(rc, hBrush);
    else
        pDC->FillSolidRect(rc, RGB(255, 255, 255));
    const COLORREF crText = pDC->SetTextColor(0);
    pDC->SetTextColor(crText);

    if (m_hFont)
        pDC->SelectObject(m_hFont);
    pDC->SetBkMode(TRANSPARENT);
    pDC->IntersectClipRect(CRect(kMargin, 0, rc.Width() - kMargin, rc.Height()));

    const auto measure = Measurer();
    const std::wstring& text = m_state.GetText();
    const int x0 = kMargin - m_state.GetScrollX();
    const int nCell = std::min(static_cast<LONG>(CellHeight()), rc.Height());
    pDC->TextOut(x0, 0, text);

    if (m_bFocused && m_state.HasSelection()) {
        const CRect rcSel(x0 + m_state.PosToX(m_state.GetSelStart(), measure), 0,
                          x0 + m_state.PosToX(m_state.GetSelEnd(), measure), nCell);
        pDC->FillSolidRect(rcSel, kHighlight);
        // The whole line again, clipped to the highlight, so glyphs keep their places.
        const int nSelSaved = pDC->SaveDC();
        pDC->IntersectClipRect(rcSel);
        pDC->SetTextColor(kHighlightText);
        pDC->TextOut(x0, 0, text);
        pDC->RestoreDC(nSelSaved);
    }

    if (m_bFocused && m_bCaretShown) {
        const int x = x0 + m_state.PosToX(m_state.GetCaret(), measure);
        pDC->FillSolidRect(CRect(x, 0, x + 1, nCell), crText);
    }
    pDC->RestoreDC(nSaved);
}

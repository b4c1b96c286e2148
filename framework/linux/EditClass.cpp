#include "framework/linux/EditClass.h"

#include <algorithm>
#include <memory>

#include "framework/linux/Clipboard.h"
#include "framework/DC.h"
#include "framework/Wnd.h"
#include "framework/linux/Keyboard.h"
#include "framework/linux/TextInput.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
constexpr COLORREF kHighlight = RGB(0, 120, 215);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr size_t kDefaultLimit = 32767;

bool IsHighSurrogate(UINT c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(UINT c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
} // namespace

void CEditClass::OnSetFont()
{
    m_state.EnsureCaretVisible(ViewWidth(), Measurer());
}

CEditState::TextMeasure CEditClass::Measurer() const
{
    auto dc = std::make_shared<CDC>();
    dc->CreateCompatibleDC(nullptr);
    if (HFONT hFont = m_wnd.GetFont())
        dc->SelectObject(hFont);
    return [dc](std::wstring_view text) { return static_cast<int>(dc->GetTextExtent(text).cx); };
}

int CEditClass::ViewWidth() const
{
    CRect rc;
    m_wnd.GetClientRect(&rc);
    // The caret may stand on the last column inside the margin.
    return std::max(0, static_cast<int>(rc.Width()) - 2 * kMargin - 1);
}

int CEditClass::CellHeight() const
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (HFONT hFont = m_wnd.GetFont())
        dc.SelectObject(hFont);
    return dc.GetTextExtent(L" ", 1).cy;
}

CRect CEditClass::CaretRect() const
{
    CRect rc;
    m_wnd.GetClientRect(&rc);
    const int x = kMargin + m_state.PosToX(m_state.GetCaret(), Measurer()) - m_state.GetScrollX();
    return CRect(x, 0, x + 1, std::min(static_cast<LONG>(CellHeight()), rc.Height()));
}

void CEditClass::RestartBlink()
{
    m_bCaretShown = true;
    m_wnd.SetTimer(kCaretTimer, kCaretBlinkMs);
}

void CEditClass::Changed(bool bTextChanged)
{
    if (!m_wnd.m_hWnd)
        return;
    m_state.EnsureCaretVisible(ViewWidth(), Measurer());
    // The window text follows the field; this is no new text from outside.
    if (bTextChanged)
        m_wnd.m_hWnd->text = m_state.GetText();
    if (m_bFocused)
        RestartBlink();
    m_wnd.Invalidate(FALSE);
}

void CEditClass::OnSetText()
{
    // A text from outside starts afresh: caret at the start, nothing selected.
    m_state.SetText(m_wnd.GetWindowText());
    m_chPendingHigh = 0;
    if (m_bFocused)
        RestartBlink();
}

void CEditClass::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = static_cast<int>(m_state.GetSelStart());
    nEndChar = static_cast<int>(m_state.GetSelEnd());
}

void CEditClass::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    const size_t nEnd = nEndChar < 0 ? m_state.GetText().size() : static_cast<size_t>(nEndChar);
    if (nStartChar < 0)
        m_state.MoveTo(m_state.GetCaret(), false);
    else
        m_state.SetSel(static_cast<size_t>(nStartChar), nEnd);
    if (bNoScroll) {
        m_wnd.Invalidate(FALSE);
        return;
    }
    Changed(false);
}

void CEditClass::ReplaceSel(const wchar_t* pszNewText, BOOL)
{
    if (m_state.ReplaceSel(pszNewText ? pszNewText : L""))
        Changed(true);
}

void CEditClass::LimitText(int nChars)
{
    m_state.SetLimit(nChars > 0 ? static_cast<size_t>(nChars) : kDefaultLimit);
}

void CEditClass::Copy()
{
    if (m_state.HasSelection())
        SetClipboardText(m_state.GetSelectedText());
}

void CEditClass::Cut()
{
    if (!m_state.HasSelection())
        return;
    // The text goes only when the clipboard has taken it.
    if (SetClipboardText(m_state.GetSelectedText()))
        Clear();
}

void CEditClass::Paste()
{
    std::wstring text;
    if (GetClipboardText(text))
        ReplaceSel(text.c_str(), FALSE);
}

void CEditClass::Clear()
{
    if (m_state.HasSelection() && m_state.DeleteBack())
        Changed(true);
}

void CEditClass::OnSetFocus(CWnd*)
{
    m_bFocused = true;
    m_chPendingHigh = 0;
    RestartBlink();
    StartTextInput(&m_wnd, CaretRect());
    m_wnd.Invalidate(FALSE);
}

void CEditClass::OnKillFocus(CWnd*)
{
    m_bFocused = false;
    m_bCaretShown = false;
    m_wnd.KillTimer(kCaretTimer);
    StopTextInput();
    // The selection is shown only while the field has the focus.
    m_wnd.Invalidate(FALSE);
}

void CEditClass::OnDestroy()
{
    // Destruction takes the focus without telling the window, so text input is stopped here.
    if (m_bFocused) {
        m_bFocused = false;
        StopTextInput();
    }
    if (m_bDragging && CWnd::GetCapture() == &m_wnd)
        CWnd::ReleaseCapture();
    m_bDragging = false;
}

void CEditClass::OnKeyDown(UINT nChar, UINT, UINT)
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

void CEditClass::OnChar(UINT nChar, UINT, UINT)
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

void CEditClass::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_state.MoveTo(m_state.PosFromX(point.x - kMargin, Measurer()), (nFlags & MK_SHIFT) != 0);
    m_bDragging = true;
    m_wnd.SetCapture();
    Changed(false);
}

void CEditClass::OnMouseMove(UINT nFlags, CPoint point)
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

void CEditClass::OnLButtonUp(UINT, CPoint)
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (CWnd::GetCapture() == &m_wnd)
        CWnd::ReleaseCapture();
}

void CEditClass::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kCaretTimer || !m_bFocused)
        return;
    m_bCaretShown = !m_bCaretShown;
    const CRect rc = CaretRect();
    m_wnd.InvalidateRect(&rc, FALSE);
}

void CEditClass::OnPaint(CDC* pDC)
{
    CRect rc;
    m_wnd.GetClientRect(&rc);
    const int nSaved = pDC->SaveDC();

    // The system's window colours unless the parent answers otherwise.
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->SetBkColor(RGB(255, 255, 255));
    CWnd* pParent = m_wnd.GetParent();
    HBRUSH hBrush = pParent ? pParent->OnCtlColor(pDC, &m_wnd, CTLCOLOR_EDIT) : nullptr;
    if (hBrush)
        pDC->FillRect(rc, hBrush);
    else
        pDC->FillSolidRect(rc, RGB(255, 255, 255));
    const COLORREF crText = pDC->SetTextColor(0);
    pDC->SetTextColor(crText);

    if (HFONT hFont = m_wnd.GetFont())
        pDC->SelectObject(hFont);
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

const CEditState* GetEditStateForTesting(const CWnd& edit)
{
    const auto* pClass = dynamic_cast<const CEditClass*>(WindowClassOf(&edit));
    return pClass ? &pClass->GetState() : nullptr;
}

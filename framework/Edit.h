#pragma once

#include <string>

#include "framework/EditState.h"
#include "framework/Font.h"
#include "framework/Wnd.h"

// A single-line edit field: caret, typed text (input methods included, through
// the system's text input while it has the focus), whole-character deletion,
// arrows, Home and End, selection by mouse and Shift, the clipboard (Ctrl+C, X,
// V, A; Shift+Delete, Ctrl+Insert, Shift+Insert) and horizontal scrolling that
// keeps the caret in view. It never wraps. Before painting it asks its parent
// for colours with a CTLCOLOR_EDIT request, which by default comes back to the
// field's own CtlColor. The window text is always the field's current text.
class CEdit : public CWnd
{
public:
    CEdit() = default;
    ~CEdit() override;

    BOOL Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID);

    // The font is not owned: it must outlive the field or be replaced first.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE) { SetFont(pFont ? pFont->GetSafeHandle() : nullptr, bRedraw); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE);
    HFONT GetFont() const { return m_hFont; }

    // Selection as wchar_t indices, the lower first. SetSel puts the anchor at
    // nStartChar and the caret at nEndChar; -1 for nEndChar means the end of
    // the text, -1 for nStartChar removes the selection and keeps the caret.
    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(const wchar_t* pszNewText, BOOL bCanUndo = FALSE);
    // Most characters the user may enter; 0 restores the default.
    void LimitText(int nChars = 0);

    void Copy();
    void Cut();
    void Paste();
    void Clear();

    // The editing state, for tests and for callers that need the caret.
    const CEditState& GetState() const { return m_state; }

    // ---- Default processing
    bool WantsFocusOnClick() const override { return true; }
    void OnSetFocus(CWnd* pOldWnd) override;
    void OnKillFocus(CWnd* pNewWnd) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnDestroy() override;
    void OnSetText() override;
    void DefaultPaint(CDC* pDC) override;

private:
    static constexpr UINT_PTR kCaretTimer = 1;
    static constexpr UINT kCaretBlinkMs = 530;
    // Gap between the client edge and the text, each side.
    static constexpr int kMargin = 1;

    CEditState::TextMeasure Measurer() const;
    int ViewWidth() const;
    int CellHeight() const;
    CRect CaretRect() const;
    // After every change of text or caret: scroll the caret into view, keep the
    // window text in step, restart the blink and repaint.
    void Changed(bool bTextChanged);
    void RestartBlink();

    CEditState m_state;
    HFONT m_hFont = nullptr;
    bool m_bFocused = false;
    bool m_bCaretShown = false;      // blink phase
    bool m_bDragging = false;
    bool m_bStoringText = false;     // our own SetWindowText, not a new text from outside
    wchar_t m_chPendingHigh = 0;     // first half of a pair typed as two characters
};

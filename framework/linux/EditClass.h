#pragma once

#include <string>

#include "framework/linux/EditState.h"
#include "framework/linux/WindowClass.h"

// The EDIT class: a self-drawn single-line field with a blinking caret, typed
// text through the system's text input while it has the focus (input methods
// included), whole-character deletion, arrows, Home and End, selection by
// mouse and Shift, the clipboard (Ctrl+C, X, V, A; Shift+Delete, Ctrl+Insert,
// Shift+Insert) and horizontal scrolling that keeps the caret in view.
class CEditClass : public CWindowClass
{
public:
    using CWindowClass::CWindowClass;

    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll);
    void ReplaceSel(const wchar_t* pszNewText, BOOL bCanUndo);
    void LimitText(int nChars);
    void Copy();
    void Cut();
    void Paste();
    void Clear();

    const CEditState& GetState() const { return m_state; }

    bool WantsFocusOnClick() const override { return true; }
    void OnPaint(CDC* pDC) override;
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
    void OnSetFont() override;

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
    bool m_bFocused = false;
    bool m_bCaretShown = false; // blink phase
    bool m_bDragging = false;
    wchar_t m_chPendingHigh = 0; // first half of a pair typed as two characters
};

// The editing state behind an edit field (tests); null when it is none.
const CEditState* GetEditStateForTesting(const CWnd& edit);

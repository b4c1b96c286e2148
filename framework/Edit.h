#pragma once

#include "framework/Wnd.h"

// A single-line edit field of the platform's EDIT class: caret, typed text
// (input methods included), arrows, Home and End, selection by mouse and
// Shift, the clipboard keys, and horizontal scrolling that keeps the caret in
// view. Before painting it asks its parent for colours with a CTLCOLOR_EDIT
// request, which by default comes back to the field's own CtlColor. The window
// text is always the field's current text.
class CEdit : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, L"EDIT", L"", dwStyle, rect, pParentWnd, nID);
    }

    // Selection as character indices, the lower first. SetSel puts the anchor
    // at nStartChar and the caret at nEndChar; -1 for nEndChar means the end of
    // the text, -1 for nStartChar removes the selection and keeps the caret.
    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
    // Most characters the user may enter; 0 restores the default.
    void LimitText(int nChars = 0);

    void Copy();
    void Cut();
    void Paste();
    void Clear();
};

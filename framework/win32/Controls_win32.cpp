// The standard controls' operations are their classes' own messages; before a
// control has a window they do nothing.
#include "framework/Button.h"
#include "framework/Edit.h"

void CButton::SetCheck(int nCheck)
{
    if (m_hWnd)
        SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
}

int CButton::GetCheck() const
{
    return m_hWnd ? static_cast<int>(SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)) : BST_UNCHECKED;
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD dwStart = 0;
    DWORD dwEnd = 0;
    if (m_hWnd)
        SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    nStartChar = static_cast<int>(dwStart);
    nEndChar = static_cast<int>(dwEnd);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    if (!m_hWnd)
        return;
    SendMessageW(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), static_cast<LPARAM>(nEndChar));
    if (!bNoScroll)
        SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo)
{
    if (m_hWnd)
        SendMessageW(m_hWnd, EM_REPLACESEL, static_cast<WPARAM>(bCanUndo),
                     reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : L""));
}

void CEdit::LimitText(int nChars)
{
    if (m_hWnd)
        SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
}

void CEdit::Copy()
{
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_COPY, 0, 0);
}

void CEdit::Cut()
{
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_CUT, 0, 0);
}

void CEdit::Paste()
{
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_PASTE, 0, 0);
}

void CEdit::Clear()
{
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_CLEAR, 0, 0);
}

// The standard controls' operations on Linux go to their emulated classes;
// before the control has a window they do nothing, as on Windows.
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/linux/ButtonClass.h"
#include "framework/linux/EditClass.h"

namespace
{
template <typename Class>
Class* ClassOf(const CWnd* pWnd)
{
    return dynamic_cast<Class*>(WindowClassOf(pWnd));
}
} // namespace

void CButton::SetCheck(int nCheck)
{
    if (auto* pClass = ClassOf<CButtonClass>(this))
        pClass->m_nCheck = nCheck;
}

int CButton::GetCheck() const
{
    auto* pClass = ClassOf<CButtonClass>(this);
    return pClass ? pClass->m_nCheck : BST_UNCHECKED;
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = nEndChar = 0;
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->GetSel(nStartChar, nEndChar);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->SetSel(nStartChar, nEndChar, bNoScroll);
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo)
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->ReplaceSel(lpszNewText, bCanUndo);
}

void CEdit::LimitText(int nChars)
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->LimitText(nChars);
}

void CEdit::Copy()
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->Copy();
}

void CEdit::Cut()
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->Cut();
}

void CEdit::Paste()
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->Paste();
}

void CEdit::Clear()
{
    if (auto* pClass = ClassOf<CEditClass>(this))
        pClass->Clear();
}

#include "controls/CustomDrawEdit.h"

CCustomDrawEdit::CCustomDrawEdit() : m_crBack(RGB(241, 241, 241)), m_crText(RGB(255, 0, 0))
{
    m_brBack.CreateSolidBrush(m_crBack);
}

CCustomDrawEdit::~CCustomDrawEdit() = default;

HBRUSH CCustomDrawEdit::CtlColor(CDC* pDC, UINT)
{
    pDC->SetTextColor(m_crText);
    pDC->SetBkColor(m_crBack);
    return m_brBack.GetSafeHandle();
}

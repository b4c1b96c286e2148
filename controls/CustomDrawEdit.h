#pragma once

#include "framework/DC.h"
#include "framework/Edit.h"
#include "framework/Brush.h"

// The edit field inside the skinned edit box: plain edit painting in the text
// and background colours held here, which it hands out when its parent asks.
class CCustomDrawEdit : public CEdit
{
public:
    CCustomDrawEdit();
    ~CCustomDrawEdit() override;

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override;
    // Painting fills the whole field, so erasing first would only flicker.
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

    COLORREF m_crBack;
    COLORREF m_crText;
    CBrush m_brBack;
};

#pragma once

#include "controls/StripButton.h"

// A check box drawn from the two-column strip: left column unchecked, right
// column checked. It never toggles itself; its owner flips m_bChecked on a click.
class CCheckBoxEx : public CStripButton
{
public:
    // Loads the check-box strip and sizes the box to one cell of one column.
    void SetImage();

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    int m_bChecked = 1;
};

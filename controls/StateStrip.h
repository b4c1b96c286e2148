#pragma once

#include "base/Types.h"

class CDC;
class CImage;
class CWnd;

// Visual states of a skinned control, also the order of the cells in its strip.
enum
{
    STATE_NORMAL = 0,
    STATE_HOVER = 1,
    STATE_PRESSED = 2,
    STATE_DISABLED = 3,
};

// Source rectangle of state `nState` in a strip of W x H pixels: four cells of
// equal height stacked in state order, rows computed in unsigned arithmetic.
CRect StateCellRect(UINT W, UINT H, int nState);

// The same for the two-column check-box strip: the left column is unchecked,
// the right one checked.
CRect CheckBoxCellRect(UINT W, UINT H, int nState, bool bChecked);

// Size of a control showing one cell of a W x H strip at the screen's DPI: the
// whole strip is scaled, then divided (truncating) into its cells.
CSize StripControlSize(UINT W, UINT H, bool bTwoColumns);

// Resizes `pWnd` to one cell of `pImage`, keeping its position and raising it
// among its siblings. A control without an image keeps its size.
void SizeControlToStrip(CWnd* pWnd, const CImage* pImage, bool bTwoColumns);

// Draws the source cell `rcSource` of `pImage` alpha-blended over what the
// context shows, scaled into the item rectangle from (0, 0).
void DrawStripCell(CDC* pDC, const CImage* pImage, const CRect& rcItem, const CRect& rcSource);

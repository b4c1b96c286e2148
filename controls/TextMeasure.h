#pragma once

#include "framework/Font.h"
#include "base/Types.h"

class CWnd;

// The size a one-line text control takes for its text: the width of its window
// text drawn in `font`, and its current client height (not the text's).
CSize CalcWindowTextSize(CWnd* pWnd, const CFont& font);

#pragma once

#include "base/Types.h"

class CWnd;

// Typed text (keyboard layouts, input methods) reaches the focused window as
// OnChar only while text input is on; an edit field turns it on when it takes
// the focus and off when it loses it. `rcCaret` (client coordinates of `pWnd`)
// tells an input method where to show its candidates.
void StartTextInput(CWnd* pWnd, const CRect& rcCaret);
void StopTextInput();
bool IsTextInputActive();

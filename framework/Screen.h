#pragma once

#include "base/Types.h"

// Logical pixels per inch of the screen, both axes. False when no screen can be
// asked (no display, window system not started); callers then assume 96.
bool GetScreenDpi(int& dpiX, int& dpiY);

// Width and height of a standard icon, in pixels.
CSize GetIconSize();

// The work area windows are centred in, in screen coordinates.
CRect GetScreenWorkArea();

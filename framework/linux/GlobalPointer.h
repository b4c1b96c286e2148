#pragma once

// Where the pointer is on the screen and whether the left button is down,
// asked of the display server at the moment of the call. SDL's own answer is
// cached under X11 and goes stale while synthetic input moves the pointer.
bool QueryGlobalPointer(int& x, int& y, bool& bLeftDown);

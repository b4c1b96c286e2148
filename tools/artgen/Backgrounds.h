#pragma once

#include "Canvas.h"

// The 600 x 400 page backgrounds of the installer window. Positions are the
// 96-DPI places where the window puts its controls over them.
namespace art
{

CCanvas DrawFinishBackground();   // 136
CCanvas DrawWelcomeBackground();  // 137
CCanvas DrawProgressBackground(); // 138

} // namespace art

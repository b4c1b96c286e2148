#pragma once

#include "Canvas.h"

// The state strips and bars of the skinned controls. A strip holds four cells
// stacked top to bottom: normal, hover, pressed, disabled.
namespace art
{

CCanvas DrawChangeButtonStrip();  // 129: 74 x 128
CCanvas DrawCheckBoxStrip();      // 130: 28 x 56, unchecked and checked columns
CCanvas DrawCloseStrip();         // 131 and 139: 14 x 56
CCanvas DrawPillStrip();          // 133: 160 x 160
CCanvas DrawProgressFill();       // 134: 520 x 10
CCanvas DrawProgressTrack();      // 135: 520 x 10
CCanvas DrawFilledButtonStrip();  // 140: 96 x 128
CCanvas DrawOutlineButtonStrip(); // 141: 96 x 128

} // namespace art

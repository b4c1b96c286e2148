#pragma once

#include "base/Types.h"

// Whether a key (VK_SHIFT, VK_CONTROL) is held down right now, as input has
// reported it so far.
bool IsKeyDown(UINT vk);

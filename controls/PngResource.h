#pragma once

#include <memory>

#include "framework/Image.h"
#include "base/Types.h"

// Loads the "PNG" resource `nId` of the program into a new image. Returns FALSE
// and leaves `pImage` as it was when there is no such resource. An image that
// can't be decoded is still stored; it reads as 0 x 0 and draws nothing.
BOOL LoadPngResource(UINT nId, std::unique_ptr<CImage>& pImage);

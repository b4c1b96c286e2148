#pragma once

#include <cstddef>

#include "base/Types.h"

// An icon: the encoded PNG it is drawn from.
struct HICON__
{
    const BYTE* pData = nullptr;
    size_t nSize = 0;
};

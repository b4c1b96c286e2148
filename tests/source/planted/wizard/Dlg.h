#pragma once

// Downward, and to its own folder: both allowed.
#include "base/Types.h"
#include "controls/StaticEx.h"
#include "wizard/VendorHost.h"

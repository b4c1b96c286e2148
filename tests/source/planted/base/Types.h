#pragma once

// Relative to its own folder: allowed.
#include "linux/WinDefs.h"

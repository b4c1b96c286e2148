#pragma once

// Beside: the framework and the engine know nothing of each other.
#include "framework/Wnd.h"

#pragma once

// Upward: the framework may not know the product.
#include "common/UiFont.h"

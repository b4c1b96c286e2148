#pragma once

#include <cstdint>

// number * numerator / denominator with a 64-bit product, rounded to the nearest
// integer with halves away from zero; -1 on a zero denominator or a result that
// does not fit in 32 signed bits. Same contract as the Windows call of this name.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

#include "base/Types.h"

#include <cstdlib>
#include <limits>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;

    const int64_t product = static_cast<int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    // |product| < 2^62 and |denominator| <= 2^31, so the magnitudes fit comfortably.
    const uint64_t magnitude = static_cast<uint64_t>(product < 0 ? -product : product);
    const uint64_t divisor = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(denominator)));
    const uint64_t rounded = (magnitude + divisor / 2) / divisor;

    const int64_t result = negative ? -static_cast<int64_t>(rounded) : static_cast<int64_t>(rounded);
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(result);
}

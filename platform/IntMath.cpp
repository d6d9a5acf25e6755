#include "platform/IntMath.h"

#include <climits>
#include <cstdlib>

namespace platform {

int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t num = std::int64_t(a) * b;
    const bool negative = (num < 0) != (c < 0);
    const std::uint64_t n = std::uint64_t(std::llabs(num));
    const std::uint64_t d = std::uint64_t(std::llabs(std::int64_t(c)));
    const std::uint64_t q = (n + d / 2) / d;  // halves away from zero
    if (q > std::uint64_t(INT_MAX) + (negative ? 1 : 0)) return -1;
    return negative ? int(-std::int64_t(q)) : int(q);
}

}  // namespace platform

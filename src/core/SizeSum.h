#pragma once
#include <cstdint>
#include <limits>

// a + b for byte counts, held at the largest (or smallest) value instead of overflowing: a
// total of sizes is only compared and shown, and a wrapped one would sort a huge group last.
inline std::int64_t AddSizes(std::int64_t a, std::int64_t b) {
    std::int64_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    return sum;
}

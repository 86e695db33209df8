#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace pictures {

// Size arithmetic on values read from a file. Every operand is a count of
// pixels or bytes and so never negative; a result that would not fit in 64
// bits is nothing, so a crafted header can never wrap a size around.

inline std::optional<std::int64_t> checkedAdd(std::int64_t a, std::int64_t b)
{
    if (a < 0 || b < 0 || a > std::numeric_limits<std::int64_t>::max() - b)
        return std::nullopt;
    return a + b;
}

inline std::optional<std::int64_t> checkedMul(std::int64_t a, std::int64_t b)
{
    if (a < 0 || b < 0 || (a != 0 && b > std::numeric_limits<std::int64_t>::max() / a))
        return std::nullopt;
    return a * b;
}

} // namespace pictures

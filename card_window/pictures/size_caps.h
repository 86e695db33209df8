#pragma once

#include <cstdint>

namespace pictures {

// Pictures larger than this are refused before any pixel memory is allocated.
inline constexpr std::int64_t kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixels = 64 * 1024 * 1024;

constexpr bool fitsSizeCaps(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide
        && width * height <= kMaxPixels;
}

} // namespace pictures

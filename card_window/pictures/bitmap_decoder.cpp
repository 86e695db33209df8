#include "decoders.h"

namespace pictures {

std::optional<Image> decodeBitmap(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

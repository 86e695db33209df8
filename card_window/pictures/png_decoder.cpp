#include "decoders.h"

namespace pictures {

std::optional<Image> decodePng(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

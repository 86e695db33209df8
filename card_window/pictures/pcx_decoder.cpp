#include "decoders.h"

namespace pictures {

std::optional<Image> decodePcx(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

#include "decoders.h"

namespace pictures {

std::optional<Image> decodeIcon(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

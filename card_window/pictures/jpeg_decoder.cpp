#include "decoders.h"

namespace pictures {

std::optional<Image> decodeJpeg(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

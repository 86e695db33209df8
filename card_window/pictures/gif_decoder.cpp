#include "gif.h"

namespace pictures {

std::optional<GifPicture> decodeGif(Bytes)
{
    return std::nullopt;
}

} // namespace pictures

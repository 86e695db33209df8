#pragma once

#include "picture.h"

namespace pictures {

// The parsed frames of a GIF with more than one image.
struct GifAnimation {
    int screenWidth = 0;
    int screenHeight = 0;
};

struct GifPicture {
    Image still; // a GIF with a single image: that image, opaque, at logical screen size
    std::shared_ptr<const GifAnimation> animation;
};

std::optional<GifPicture> decodeGif(Bytes bytes);

} // namespace pictures

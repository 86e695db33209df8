#pragma once

#include "picture.h"

namespace pictures {

// Each decoder is a pure function of the bytes: a decoded image, or nothing.
std::optional<Image> decodePng(Bytes bytes);
std::optional<Image> decodeJpeg(Bytes bytes);
std::optional<Image> decodeBitmap(Bytes bytes);
std::optional<Image> decodeIcon(Bytes bytes); // icon and cursor files
std::optional<Image> decodePcx(Bytes bytes);

} // namespace pictures

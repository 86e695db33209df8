#pragma once

#include "byte_reader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace pictures {

enum class PictureFormat { Bitmap, Jpeg, Png, Icon, Cursor, Gif, Pcx256, Pcx2 };

// Pixels are 0xAARRGGBB words, not premultiplied (the layout of
// QImage::Format_ARGB32), rows top to bottom without padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool isNull() const { return pixels.empty(); }
    std::uint32_t pixel(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// An image of the given size with every pixel set to fill, or nothing when the
// size breaks the caps or the memory cannot be had.
std::optional<Image> allocateImage(std::int64_t width, std::int64_t height, std::uint32_t fill = 0xff000000u);

// How a picture box puts a decoded image over its background colour.
enum class Compositing {
    Opaque,   // alpha is ignored
    BlendPng, // pixels with alpha below 255 are blended with the background
    Masked,   // icon mask: alpha 0 shows the background, partial alpha blends
};

Compositing compositingOf(PictureFormat format);

struct GifAnimation;

struct DecodedPicture {
    PictureFormat format = PictureFormat::Png;
    Image image; // the still picture; empty while animation is set
    std::shared_ptr<const GifAnimation> animation;
};

// The format named by the first 8 bytes, or nothing when fewer than 8 bytes
// are given or no rule matches.
std::optional<PictureFormat> recognizeFormat(Bytes bytes);

// Recognises and decodes; nothing for empty, unrecognised or undecodable bytes.
std::optional<DecodedPicture> decodePicture(Bytes bytes);

} // namespace pictures

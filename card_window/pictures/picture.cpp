#include "picture.h"

#include "decoders.h"
#include "gif.h"
#include "size_caps.h"

#include <algorithm>
#include <new>

namespace pictures {

std::optional<Image> allocateImage(std::int64_t width, std::int64_t height, std::uint32_t fill)
{
    if (!fitsSizeCaps(width, height))
        return std::nullopt;
    Image image;
    try {
        image.pixels.assign(std::size_t(width * height), fill);
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    image.width = int(width);
    image.height = int(height);
    return image;
}

Compositing compositingOf(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return Compositing::BlendPng;
    case PictureFormat::Icon:
    case PictureFormat::Cursor:
        return Compositing::Masked;
    default:
        return Compositing::Opaque;
    }
}

std::optional<PictureFormat> recognizeFormat(Bytes bytes)
{
    if (bytes.size() < 8)
        return std::nullopt;
    const auto startsWith = [&](std::initializer_list<std::uint8_t> prefix) {
        return std::equal(prefix.begin(), prefix.end(), bytes.begin());
    };
    const unsigned iconCount = bytes[4] | (bytes[5] << 8);
    if (startsWith({'B', 'M'}))
        return PictureFormat::Bitmap;
    if (startsWith({0xff, 0xd8}))
        return PictureFormat::Jpeg;
    if (startsWith({0x89, 'P', 'N', 'G'}))
        return PictureFormat::Png;
    if (startsWith({0, 0, 1, 0}) && iconCount >= 1)
        return PictureFormat::Icon;
    if (startsWith({0, 0, 2, 0}) && iconCount >= 1)
        return PictureFormat::Cursor;
    if (startsWith({'G', 'I', 'F', '8', '7', 'a'}) || startsWith({'G', 'I', 'F', '8', '9', 'a'}))
        return PictureFormat::Gif;
    // PCX: manufacturer 0x0A, version, encoding, bits per pixel.
    if (bytes[0] == 0x0a && bytes[1] <= 5 && bytes[2] == 1 && bytes[3] == 8)
        return PictureFormat::Pcx256;
    if (bytes[0] == 0x0a && bytes[1] == 3 && bytes[2] == 1 && bytes[3] == 1)
        return PictureFormat::Pcx2;
    return std::nullopt;
}

namespace {

std::optional<DecodedPicture> still(PictureFormat format, std::optional<Image> image)
{
    if (!image)
        return std::nullopt;
    return DecodedPicture{format, std::move(*image), nullptr};
}

} // namespace

std::optional<DecodedPicture> decodePicture(Bytes bytes)
{
    const auto format = recognizeFormat(bytes);
    if (!format)
        return std::nullopt;
    switch (*format) {
    case PictureFormat::Bitmap:
        return still(*format, decodeBitmap(bytes));
    case PictureFormat::Jpeg:
        return still(*format, decodeJpeg(bytes));
    case PictureFormat::Png:
        return still(*format, decodePng(bytes));
    case PictureFormat::Icon:
    case PictureFormat::Cursor:
        return still(*format, decodeIcon(bytes));
    case PictureFormat::Pcx256:
    case PictureFormat::Pcx2:
        return still(*format, decodePcx(bytes));
    case PictureFormat::Gif: {
        auto gif = decodeGif(bytes);
        if (!gif)
            return std::nullopt;
        if (gif->animation)
            return DecodedPicture{*format, {}, std::move(gif->animation)};
        return DecodedPicture{*format, std::move(gif->still), nullptr};
    }
    }
    return std::nullopt;
}

} // namespace pictures

#include "decoders.h"

#include "size_caps.h"

#include <png.h>

#include <array>
#include <bit>
#include <cmath>
#include <new>

namespace pictures {

namespace {

// The simplified reader writes bytes in the order it is told; these orders
// make each pixel the 0xAARRGGBB word of Image.
constexpr png_uint_32 kWordFormat = std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;

// libpng 1.6.39 as shipped by Debian scrambles the rows of interlaced 16-bit
// images when its simplified reader reduces them to 8 bits, while its 16-bit
// linear output of the same images is right. Those images are read linear
// and encoded to 8-bit sRGB here.
bool isInterlaced16Bit(Bytes bytes)
{
    // The header chunk comes first: bit depth at byte 24, interlace method at 28.
    return bytes.size() > 28 && bytes[24] == 16 && bytes[28] != 0;
}

std::uint8_t srgbFromLinear(std::uint16_t linear)
{
    static const auto table = [] {
        std::array<std::uint8_t, 65536> values{};
        for (std::size_t i = 0; i < values.size(); ++i) {
            // libpng decodes sRGB files with its gamma of 1/2.2, not the
            // piecewise sRGB curve; the inverse of that keeps 8-bit values.
            values[i] = std::uint8_t(std::lround(std::pow(double(i) / 65535.0, 1.0 / 2.2) * 255.0));
        }
        return values;
    }();
    return table[linear];
}

bool finishThroughLinear(png_image &png, Image &image)
{
    png.format = PNG_FORMAT_LINEAR_RGB_ALPHA;
    std::vector<std::uint16_t> linear;
    try {
        linear.resize(image.pixels.size() * 4);
    } catch (const std::bad_alloc &) {
        png_image_free(&png);
        return false;
    }
    if (!png_image_finish_read(&png, nullptr, linear.data(), 0, nullptr))
        return false;
    // Linear output is premultiplied by alpha.
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const std::uint16_t *sample = &linear[4 * i];
        const std::uint32_t alpha = sample[3];
        const auto channel = [alpha](std::uint32_t premultiplied) -> std::uint32_t {
            if (alpha == 0)
                return 0;
            return srgbFromLinear(std::uint16_t(std::min<std::uint32_t>(65535, (premultiplied * 65535 + alpha / 2) / alpha)));
        };
        image.pixels[i] = ((alpha * 255 + 32767) / 65535) << 24 | channel(sample[0]) << 16 | channel(sample[1]) << 8
            | channel(sample[2]);
    }
    return true;
}

} // namespace

// libpng's simplified reader keeps its errors and warnings in the png_image
// and never prints them, so nothing reaches the terminal on bad bytes.
std::optional<Image> decodePng(Bytes bytes)
{
    if (bytes.empty())
        return std::nullopt;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return std::nullopt;
    // The size is known before any pixel memory is taken.
    auto image = allocateImage(png.width, png.height);
    if (!image) {
        png_image_free(&png);
        return std::nullopt;
    }
    if (isInterlaced16Bit(bytes)) {
        if (!finishThroughLinear(png, *image))
            return std::nullopt;
        return image;
    }
    png.format = kWordFormat;
    // png_image_finish_read frees the reader whether it succeeds or not.
    if (!png_image_finish_read(&png, nullptr, image->pixels.data(), png_int_32(PNG_IMAGE_ROW_STRIDE(png)), nullptr))
        return std::nullopt;
    return image;
}

} // namespace pictures

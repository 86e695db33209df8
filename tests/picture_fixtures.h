#pragma once

// Encoders for test pictures, written with libpng and libjpeg so that every
// colour type, bit depth and JPEG colour space can be made on the spot.

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <vector>

namespace fixtures {

struct PngFixture {
    int width = 5;
    int height = 3;
    int colorType = 2; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    // Samples in file order, channel by channel, pixel by pixel, row by row;
    // for palette images the indices.
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> palette; // RGB triples
    std::vector<std::uint8_t> paletteAlpha;
};

QByteArray encodePng(const PngFixture &fixture);

// An 8-bit RGBA PNG with the pixels of color(x, y), given as 0xAARRGGBB.
QByteArray encodeRgbaPng(int width, int height, const std::function<std::uint32_t(int x, int y)> &color);

// A PNG whose IHDR claims the given size, with a valid CRC and no pixels.
QByteArray pngHeaderOnly(std::uint32_t width, std::uint32_t height);

enum class JpegKind { Grey, Colour, Progressive, Cmyk, Ycck, TwoComponents };

// Samples per pixel: 1 for Grey, 3 for Colour and Progressive (RGB), 4 for
// Cmyk and Ycck (inverted CMYK as stored), 2 for TwoComponents.
using SampleSource = std::function<std::uint8_t(int x, int y, int component)>;

QByteArray encodeJpeg(JpegKind kind, int width, int height, const SampleSource &sample, int quality = 95);

} // namespace fixtures

#include "dib.h"

#include "checked_math.h"

#include <algorithm>

namespace pictures::dib {

std::optional<InfoHeader> readInfoHeader(ByteReader &reader)
{
    InfoHeader header;
    const auto headerSize = reader.u32();
    const auto width = reader.i32();
    const auto height = reader.i32();
    const auto planes = reader.u16();
    const auto bitCount = reader.u16();
    const auto compression = reader.u32();
    if (!headerSize || !width || !height || !planes || !bitCount || !compression)
        return std::nullopt;
    // imageSize and the two densities: never read, see the header layout.
    if (!reader.skip(12))
        return std::nullopt;
    const auto colorsUsed = reader.u32();
    if (!colorsUsed || !reader.skip(4))
        return std::nullopt;
    header.headerSize = *headerSize;
    header.width = *width;
    header.height = *height;
    header.planes = *planes;
    header.bitCount = *bitCount;
    header.compression = *compression;
    header.colorsUsed = *colorsUsed;
    return header;
}

bool isSupportedUncompressed(const InfoHeader &header)
{
    if (header.planes != 1 || header.compression != 0)
        return false;
    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

std::int64_t colorTableEntries(const InfoHeader &header)
{
    if (header.bitCount <= 8 && header.colorsUsed == 0)
        return std::int64_t(1) << header.bitCount;
    return header.colorsUsed;
}

std::int64_t rowStride(std::int64_t width, int bitsPerPixel)
{
    // width is capped at kMaxSide before this is called, so the product is small.
    return (width * bitsPerPixel + 31) / 32 * 4;
}

std::optional<Palette> readColorTable(const ByteReader &reader, std::int64_t start, const InfoHeader &header)
{
    Palette palette;
    if (header.bitCount > 8)
        return palette;
    const std::int64_t entries = colorTableEntries(header);
    const auto table = reader.at(std::uint64_t(start), std::uint64_t(entries) * 4);
    if (!table)
        return std::nullopt;
    const std::int64_t count = std::min<std::int64_t>(entries, std::int64_t(1) << header.bitCount);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::uint8_t *entry = table->data() + i * 4;
        palette.colours[std::size_t(i)] =
            0xff000000u | (std::uint32_t(entry[2]) << 16) | (std::uint32_t(entry[1]) << 8) | entry[0];
    }
    return palette;
}

namespace {

// Each returns the AND of every colour it wrote, so that one look at the
// alpha byte afterwards tells whether an entry past the table was used. With
// a full table no index can point past it, and the Checked = false copies
// skip that work.

template <bool Checked>
std::uint32_t row1(const std::uint8_t *in, std::uint32_t *out, int width, const std::uint32_t *colours)
{
    std::uint32_t all = 0xffffffffu;
    const int whole = width / 8;
    for (int i = 0; i < whole; ++i) {
        const unsigned byte = in[i];
        for (int bit = 0; bit < 8; ++bit) {
            const std::uint32_t colour = colours[(byte >> (7 - bit)) & 1];
            out[bit] = colour;
            if constexpr (Checked)
                all &= colour;
        }
        out += 8;
    }
    const int rest = width % 8;
    for (int bit = 0; bit < rest; ++bit) {
        const std::uint32_t colour = colours[(in[whole] >> (7 - bit)) & 1];
        out[bit] = colour;
        all &= colour;
    }
    return all;
}

template <bool Checked>
std::uint32_t row4(const std::uint8_t *in, std::uint32_t *out, int width, const std::uint32_t *colours)
{
    std::uint32_t all = 0xffffffffu;
    const int whole = width / 2;
    for (int i = 0; i < whole; ++i) {
        const std::uint32_t high = colours[in[i] >> 4];
        const std::uint32_t low = colours[in[i] & 15];
        out[0] = high;
        out[1] = low;
        if constexpr (Checked)
            all &= high & low;
        out += 2;
    }
    if (width % 2) {
        const std::uint32_t high = colours[in[whole] >> 4];
        out[0] = high;
        all &= high;
    }
    return all;
}

template <bool Checked>
std::uint32_t row8(const std::uint8_t *in, std::uint32_t *out, int width, const std::uint32_t *colours)
{
    std::uint32_t all = 0xffffffffu;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t colour = colours[in[x]];
        out[x] = colour;
        if constexpr (Checked)
            all &= colour;
    }
    return all;
}

void row24(const std::uint8_t *in, std::uint32_t *out, int width)
{
    for (int x = 0; x < width; ++x, in += 3)
        out[x] = 0xff000000u | (std::uint32_t(in[2]) << 16) | (std::uint32_t(in[1]) << 8) | in[0];
}

void row32(const std::uint8_t *in, std::uint32_t *out, int width, std::uint32_t alphaOr)
{
    // Blue, green, red, fourth byte: on a little-endian machine this is the
    // 0xAARRGGBB word already, but reading bytes keeps it endian-free.
    for (int x = 0; x < width; ++x, in += 4)
        out[x] = alphaOr | (std::uint32_t(in[3]) << 24) | (std::uint32_t(in[2]) << 16)
            | (std::uint32_t(in[1]) << 8) | in[0];
}

} // namespace

bool decodeRows(Bytes pixels, int bitsPerPixel, const Palette &palette, bool bottomUp, Alpha alpha, Image &image)
{
    const int width = image.width;
    const int height = image.height;
    const std::int64_t stride = rowStride(width, bitsPerPixel);
    const auto needed = checkedMul(stride, height);
    if (!needed || std::int64_t(pixels.size()) < *needed || std::int64_t(image.pixels.size()) < std::int64_t(width) * height)
        return false;

    const std::uint32_t *colours = palette.colours.data();
    bool tableFull = true;
    if (bitsPerPixel <= 8)
        for (std::size_t i = 0; i < (std::size_t(1) << bitsPerPixel); ++i)
            tableFull &= (colours[i] >> 24) == 0xff;
    std::uint32_t all = 0xffffffffu;
    for (int stored = 0; stored < height; ++stored) {
        const std::uint8_t *in = pixels.data() + std::size_t(stored) * std::size_t(stride);
        const int y = bottomUp ? height - 1 - stored : stored;
        std::uint32_t *out = image.pixels.data() + std::size_t(y) * std::size_t(width);
        switch (bitsPerPixel) {
        case 1:
            all &= tableFull ? row1<false>(in, out, width, colours) : row1<true>(in, out, width, colours);
            break;
        case 4:
            all &= tableFull ? row4<false>(in, out, width, colours) : row4<true>(in, out, width, colours);
            break;
        case 8:
            all &= tableFull ? row8<false>(in, out, width, colours) : row8<true>(in, out, width, colours);
            break;
        case 24:
            row24(in, out, width);
            break;
        case 32:
            row32(in, out, width, alpha == Alpha::Opaque ? 0xff000000u : 0);
            break;
        default:
            return false;
        }
    }
    return (all >> 24) == 0xff;
}

} // namespace pictures::dib

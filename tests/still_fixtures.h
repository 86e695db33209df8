#pragma once

// Builders of small bitmap, icon, cursor, PCX and PNG files for the decoder
// tests, the fuzz seeds and the benchmarks. Qt-free: the seed writer and the
// benchmarks use it too. Each builder writes exactly what its arguments say,
// wrong values included, so that hostile files are as easy to make as good ones.

#include <png.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace still_fixtures {

using Bytes = std::vector<std::uint8_t>;

struct Writer {
    Bytes bytes;

    Writer &u8(unsigned value)
    {
        bytes.push_back(std::uint8_t(value));
        return *this;
    }
    Writer &u16(unsigned value) { return u8(value & 0xff).u8((value >> 8) & 0xff); }
    Writer &u32(std::uint32_t value) { return u16(value & 0xffff).u16(value >> 16); }
    Writer &i32(std::int32_t value) { return u32(std::uint32_t(value)); }
    Writer &zeros(std::size_t count)
    {
        bytes.insert(bytes.end(), count, 0);
        return *this;
    }
    Writer &append(const Bytes &more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

// A device-independent bitmap: pixels top row first, as palette indices for
// 1, 4 and 8 bits, as 0xAARRGGBB words for 16, 24 and 32 bits (16: 5-5-5).
struct Dib {
    int width = 0;
    int height = 0;
    int bits = 24;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB, written as blue, green, red, 0
    std::vector<std::uint32_t> pixels;
    bool topDown = false;
    std::uint32_t compression = 0;
    std::uint16_t planes = 1;
    std::optional<std::uint32_t> colorsUsed; // default: the palette's size, 0 when empty
    std::optional<std::int32_t> heightField; // default: height, negated when top-down
    std::optional<std::int32_t> widthField;  // default: width
    std::uint32_t headerSize = 40;
};

inline int rowStride(int width, int bits)
{
    return int((std::int64_t(width) * bits + 31) / 32 * 4);
}

// The stored rows: bottom row first unless top-down, each padded to 4 bytes.
inline Bytes dibRows(const Dib &dib)
{
    const int stride = rowStride(dib.width, dib.bits);
    Bytes rows(std::size_t(stride) * std::size_t(dib.height), 0);
    for (int stored = 0; stored < dib.height; ++stored) {
        const int y = dib.topDown ? stored : dib.height - 1 - stored;
        std::uint8_t *row = rows.data() + std::size_t(stored) * std::size_t(stride);
        for (int x = 0; x < dib.width; ++x) {
            const std::uint32_t value = dib.pixels[std::size_t(y) * std::size_t(dib.width) + std::size_t(x)];
            switch (dib.bits) {
            case 1:
                row[x / 8] |= std::uint8_t((value & 1) << (7 - x % 8));
                break;
            case 2:
                row[x / 4] |= std::uint8_t((value & 3) << (6 - 2 * (x % 4)));
                break;
            case 4:
                row[x / 2] |= std::uint8_t((value & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = std::uint8_t(value);
                break;
            case 16: {
                const unsigned word = ((value >> 19) & 31) << 10 | ((value >> 11) & 31) << 5 | ((value >> 3) & 31);
                row[x * 2] = std::uint8_t(word);
                row[x * 2 + 1] = std::uint8_t(word >> 8);
                break;
            }
            case 24:
            case 32: {
                const int size = dib.bits / 8;
                row[x * size] = std::uint8_t(value);
                row[x * size + 1] = std::uint8_t(value >> 8);
                row[x * size + 2] = std::uint8_t(value >> 16);
                if (size == 4)
                    row[x * size + 3] = std::uint8_t(value >> 24);
                break;
            }
            default:
                break;
            }
        }
    }
    return rows;
}

// The information header (headerSize bytes, zero-filled past the 40 known
// ones) followed by the colour table.
inline Bytes infoHeaderAndTable(const Dib &dib, std::int32_t heightField)
{
    Writer w;
    w.u32(dib.headerSize)
        .i32(dib.widthField.value_or(dib.width))
        .i32(heightField)
        .u16(dib.planes)
        .u16(unsigned(dib.bits))
        .u32(dib.compression)
        .u32(0)       // image size
        .i32(2835)    // 72 dpi
        .i32(2835)
        .u32(dib.colorsUsed.value_or(std::uint32_t(dib.palette.size())))
        .u32(0);
    if (dib.headerSize > 40)
        w.zeros(dib.headerSize - 40);
    for (std::uint32_t colour : dib.palette)
        w.u8(colour & 0xff).u8((colour >> 8) & 0xff).u8((colour >> 16) & 0xff).u8(0);
    return w.bytes;
}

// A bitmap file; gap puts that many bytes between the table and the pixels.
inline Bytes bitmapFile(const Dib &dib, std::uint32_t gap = 0)
{
    const std::int32_t heightField = dib.heightField.value_or(dib.topDown ? -dib.height : dib.height);
    const Bytes header = infoHeaderAndTable(dib, heightField);
    const Bytes rows = dibRows(dib);
    const std::uint32_t dataOffset = 14 + std::uint32_t(header.size()) + gap;
    Writer w;
    w.u8('B').u8('M').u32(dataOffset + std::uint32_t(rows.size())).u16(0).u16(0).u32(dataOffset);
    w.append(header).zeros(gap).append(rows);
    return w.bytes;
}

// The AND mask of an icon image: transparent is one flag per pixel, top row
// first; stored bottom-up, 1 bit per pixel, rows padded to 4 bytes.
inline Bytes maskRows(int width, int height, const std::vector<bool> &transparent)
{
    const int stride = rowStride(width, 1);
    Bytes rows(std::size_t(stride) * std::size_t(height), 0);
    for (int stored = 0; stored < height; ++stored) {
        const int y = height - 1 - stored;
        for (int x = 0; x < width; ++x)
            if (transparent[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                rows[std::size_t(stored) * std::size_t(stride) + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    }
    return rows;
}

// The image of an icon entry stored as a bitmap: the header with twice the
// height, the table, the colour rows and, when given, the mask rows.
inline Bytes iconBitmapImage(const Dib &dib, const std::optional<std::vector<bool>> &transparent)
{
    Writer w;
    w.append(infoHeaderAndTable(dib, dib.heightField.value_or(dib.height * 2)));
    w.append(dibRows(dib));
    if (transparent)
        w.append(maskRows(dib.width, dib.height, *transparent));
    return w.bytes;
}

struct IconEntry {
    std::uint8_t width = 0;      // 0 means 256
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0; // 0 for 256 colours or more
    std::uint16_t planes = 1;    // hot spot x in a cursor
    std::uint16_t bitCount = 0;  // hot spot y in a cursor
    Bytes image;
    std::optional<std::uint32_t> sizeField;   // default: the image's size
    std::optional<std::uint32_t> offsetField; // default: where the image is written
};

// An icon (type 1) or cursor (type 2) file: the directory, then the images
// in entry order.
inline Bytes iconFile(const std::vector<IconEntry> &entries, std::uint16_t type = 1,
                      std::optional<std::uint16_t> countField = std::nullopt)
{
    Writer w;
    w.u16(0).u16(type).u16(countField.value_or(std::uint16_t(entries.size())));
    std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
    for (const IconEntry &entry : entries) {
        w.u8(entry.width).u8(entry.height).u8(entry.colorCount).u8(0).u16(entry.planes).u16(entry.bitCount);
        w.u32(entry.sizeField.value_or(std::uint32_t(entry.image.size())));
        w.u32(entry.offsetField.value_or(offset));
        offset += std::uint32_t(entry.image.size());
    }
    for (const IconEntry &entry : entries)
        w.append(entry.image);
    return w.bytes;
}

// A PNG of 0xAARRGGBB pixels, top row first, written by libpng.
inline Bytes pngFile(int width, int height, const std::vector<std::uint32_t> &pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    Bytes rgba(std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgba[i * 4] = std::uint8_t(pixels[i]);
        rgba[i * 4 + 1] = std::uint8_t(pixels[i] >> 8);
        rgba[i * 4 + 2] = std::uint8_t(pixels[i] >> 16);
        rgba[i * 4 + 3] = std::uint8_t(pixels[i] >> 24);
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr))
        return {};
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

// A PCX file. lines are the decoded scan lines (bytesPerLine bytes each,
// planes after each other within a line); they are run-length encoded here.
struct Pcx {
    std::uint8_t version = 5;
    std::uint8_t bitsPerPixel = 8;
    std::uint8_t planes = 1;
    std::uint16_t xMin = 0;
    std::uint16_t yMin = 0;
    std::uint16_t xMax = 0;
    std::uint16_t yMax = 0;
    std::uint16_t bytesPerLine = 0;
    std::vector<Bytes> lines;
    std::vector<std::uint32_t> palette; // 256 colours 0x00RRGGBB for 8 bits; appended after the marker
    std::uint8_t marker = 0x0c;
    bool runsAcrossLines = false; // encode all lines as one stream
};

inline void encodeRuns(const Bytes &data, Writer &w)
{
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t run = 1;
        while (i + run < data.size() && run < 63 && data[i + run] == data[i])
            ++run;
        if (run > 1 || (data[i] & 0xc0) == 0xc0)
            w.u8(0xc0 | unsigned(run)).u8(data[i]);
        else
            w.u8(data[i]);
        i += run;
    }
}

inline Bytes pcxFile(const Pcx &pcx)
{
    Writer w;
    w.u8(0x0a).u8(pcx.version).u8(1).u8(pcx.bitsPerPixel);
    w.u16(pcx.xMin).u16(pcx.yMin).u16(pcx.xMax).u16(pcx.yMax).u16(72).u16(72);
    w.zeros(48).u8(0).u8(pcx.planes).u16(pcx.bytesPerLine).u16(1).u16(0).u16(0).zeros(54);
    if (pcx.runsAcrossLines) {
        Bytes all;
        for (const Bytes &line : pcx.lines)
            all.insert(all.end(), line.begin(), line.end());
        encodeRuns(all, w);
    } else {
        for (const Bytes &line : pcx.lines)
            encodeRuns(line, w);
    }
    if (!pcx.palette.empty()) {
        w.u8(pcx.marker);
        for (std::uint32_t colour : pcx.palette)
            w.u8((colour >> 16) & 0xff).u8((colour >> 8) & 0xff).u8(colour & 0xff);
    }
    return w.bytes;
}

// A repeatable pseudo-random picture for sizes too large to spell out.
inline std::uint32_t noise(std::uint32_t &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

} // namespace still_fixtures

#pragma once

// The device-independent bitmap shared by bitmap files and the entries of icon
// and cursor files: the 40-byte information header, the colour table and the
// rows of pixels. Qt-free, like every decoder.

#include "byte_reader.h"
#include "picture.h"

#include <array>
#include <cstdint>
#include <optional>

namespace pictures::dib {

// BITMAPINFOHEADER, little-endian, 40 bytes:
//   0 u32 headerSize       40; the V4 and V5 headers are longer
//   4 i32 width            pixels
//   8 i32 height           pixels; negative for top-down bitmaps; in an icon, twice the image height
//  12 u16 planes           1
//  14 u16 bitCount         bits per pixel
//  16 u32 compression      0 for uncompressed pixels
//  20 u32 imageSize        not used: the rows are sized from width, height and bitCount
//  24 i32 xPixelsPerMetre  not used
//  28 i32 yPixelsPerMetre  not used
//  32 u32 colorsUsed       colour-table entries; 0 means 2 to the power of bitCount
//  36 u32 colorsImportant  not used
inline constexpr std::int64_t kInfoHeaderSize = 40;

struct InfoHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

// Reads the 40 bytes of the header; nothing when fewer are left.
std::optional<InfoHeader> readInfoHeader(ByteReader &reader);

// One plane, no compression, and 1, 4, 8, 24 or 32 bits per pixel: the only
// kind of pixels we decode.
bool isSupportedUncompressed(const InfoHeader &header);

// How many 4-byte entries the colour table holds: for 1, 4 and 8 bits the used
// colours or, when that is 0, 2 to the power of the bit count; for 24 and 32
// bits the used colours (a table that some writers store and nobody reads).
std::int64_t colorTableEntries(const InfoHeader &header);

// Bytes in one stored row, padded to a multiple of 4.
std::int64_t rowStride(std::int64_t width, int bitsPerPixel);

// A colour table as 0xAARRGGBB words. Entries past the stored table stay 0,
// alpha 0, which no real entry has: that is how decodeRows sees an index that
// points past the table.
struct Palette {
    std::array<std::uint32_t, 256> colours{};
};

// The colour table of 1, 4 and 8-bit pixels, colorTableEntries() entries of
// blue, green, red and a reserved byte stored from start on, of which the first
// 2^bits are kept; an empty palette for 24 and 32 bits; nothing when the table
// does not fit in the data.
std::optional<Palette> readColorTable(const ByteReader &reader, std::int64_t start, const InfoHeader &header);

enum class Alpha {
    Opaque,    // 32-bit pixels: the fourth byte is ignored (bitmap files)
    FourthByte // 32-bit pixels: the fourth byte is the alpha (icon entries)
};

// Decodes image.height rows of image.width pixels of the given depth from
// pixels, which must hold rowStride(width, bits) * height bytes; the first
// stored row is the bottom row when bottomUp is set, else the top row.
// Returns false when a pixel names a colour-table entry past the stored table.
bool decodeRows(Bytes pixels, int bitsPerPixel, const Palette &palette, bool bottomUp, Alpha alpha, Image &image);

} // namespace pictures::dib

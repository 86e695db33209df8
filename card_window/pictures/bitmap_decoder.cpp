#include "decoders.h"

#include "checked_math.h"
#include "dib.h"
#include "size_caps.h"

// Uncompressed Windows bitmaps: a 14-byte file header, a 40-byte
// information header, a colour table for 1, 4 and 8 bits per pixel, and rows
// of pixels padded to 4 bytes.
//
// Decisions where the format leaves room, each on purpose:
// - Top-down bitmaps (negative height) are shown upright: their first stored
//   row is the top row. Users expect the picture the way every viewer shows it.
// - A pixel that names a colour-table entry past the stored table makes the
//   whole picture undecodable: such a file is corrupt, and an empty box says so
//   more honestly than a guessed colour.
// - Rows cut short by the end of the data make the whole picture undecodable,
//   for the same reason; nothing is ever shown from memory that was not read.
// - Only fields that decide the pixels are checked. The file size, the image
//   size and the densities of the headers are not read, as Windows does not
//   read them either, so a wrong value there does not hide a good picture.
// - One plane only: a planes field other than 1 is no bitmap we know.
// - A colour table longer than the bit depth can index (more than 2^bits used
//   colours) must still lie before the pixels; its extra entries are never
//   used. With 24 and 32 bits the used-colours count plays no part.

namespace pictures {

namespace {

// BITMAPFILEHEADER, little-endian, 14 bytes:
//   0 u8[2] "BM"
//   2 u32   file size      not used
//   6 u16   reserved       not used
//   8 u16   reserved       not used
//  10 u32   data offset    where the first stored row begins
constexpr std::int64_t kFileHeaderSize = 14;

} // namespace

std::optional<Image> decodeBitmap(Bytes bytes)
{
    ByteReader reader(bytes);
    const auto magic = reader.u16();
    if (!magic || *magic != 0x4d42 || !reader.skip(8))
        return std::nullopt;
    const auto dataOffset = reader.u32();
    if (!dataOffset)
        return std::nullopt;
    const auto header = dib::readInfoHeader(reader);
    if (!header || header->headerSize != dib::kInfoHeaderSize || !dib::isSupportedUncompressed(*header))
        return std::nullopt;

    // Absolute values, in 64 bits: the negation of INT32_MIN does not fit in 32.
    const std::int64_t width = header->width < 0 ? -std::int64_t(header->width) : header->width;
    const std::int64_t height = header->height < 0 ? -std::int64_t(header->height) : header->height;
    const bool bottomUp = header->height > 0;
    if (!fitsSizeCaps(width, height))
        return std::nullopt;

    // Only 1, 4 and 8 bits have a colour table that must lie before the
    // pixels. A table stored with 24 or 32 bits is never read: the
    // data offset skips it, whatever its stated length.
    const std::int64_t tableStart = kFileHeaderSize + dib::kInfoHeaderSize;
    const std::int64_t tableEntries = header->bitCount <= 8 ? dib::colorTableEntries(*header) : 0;
    const auto tableBytes = checkedMul(tableEntries, 4);
    const auto tableEnd = tableBytes ? checkedAdd(tableStart, *tableBytes) : std::nullopt;
    if (!tableEnd || std::int64_t(*dataOffset) < *tableEnd)
        return std::nullopt;

    const auto pixelBytes = checkedMul(dib::rowStride(width, header->bitCount), height);
    if (!pixelBytes)
        return std::nullopt;
    const auto pixels = reader.at(*dataOffset, std::uint64_t(*pixelBytes));
    if (!pixels)
        return std::nullopt;

    const auto palette = dib::readColorTable(reader, tableStart, *header);
    if (!palette)
        return std::nullopt;

    auto image = allocateImage(width, height);
    if (!image)
        return std::nullopt;
    if (!dib::decodeRows(*pixels, header->bitCount, *palette, bottomUp, dib::Alpha::Opaque, *image))
        return std::nullopt;
    return image;
}

} // namespace pictures

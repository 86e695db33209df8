#include "decoders.h"

#include "checked_math.h"
#include "dib.h"
#include "size_caps.h"

#include <algorithm>

// Icon and cursor files. Both are a directory of images; one entry
// is chosen and decoded, either as a PNG or as a device-independent bitmap
// followed by its AND mask. The result keeps its alpha: the picture box draws
// icons with Compositing::Masked, so alpha 0 shows the box's background.
//
// Decisions where the format leaves room, each on purpose:
// - The whole directory must lie in the data, since the choice rule looks at
//   every entry; the chosen entry's offset and size must too.
// - Bitmap entries: the size is the width and half the height of the entry's
//   own information header, not the directory's bytes. Their height must be
//   positive (icons are never stored top-down) and their pixels uncompressed,
//   1, 4, 8, 24 or 32 bits per pixel; any other entry makes no picture.
// - A set bit of the AND mask makes the pixel transparent (alpha 0). A pixel
//   that is also coloured in the XOR image would invert the screen on Windows;
//   here it shows the background like any other masked pixel.
// - 32-bit entries carry their own alpha, and when any pixel has a non-zero
//   alpha the alpha channel alone decides, as Windows does; the mask is then
//   not needed and not read. An entry whose alpha bytes are all 0 was written
//   by a tool that knew no alpha: it is taken as opaque and masked by its AND
//   mask, which it must then have in full.
// - A colour-table index past the stored table, or rows (colour or mask) cut
//   short by the end of the entry, make no picture, as for bitmap files.

namespace pictures {

namespace {

// ICONDIR, little-endian, 6 bytes:
//   0 u16 reserved   0
//   2 u16 type       1 icon, 2 cursor
//   4 u16 count      number of entries
// then count ICONDIRENTRY records of 16 bytes:
//   0 u8  width          pixels; 0 means 256
//   1 u8  height         pixels; 0 means 256
//   2 u8  colorCount     colours of a paletted image; 0 for 256 or more
//   3 u8  reserved
//   4 u16 planes         (cursor: hot spot x)
//   6 u16 bitCount       (cursor: hot spot y)
//   8 u32 bytesInRes     size of the image
//  12 u32 imageOffset    where the image begins, from the start of the file
constexpr std::size_t kEntrySize = 16;

struct Entry {
    std::uint8_t width = 0;
    std::uint8_t colorCount = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

std::optional<Entry> readEntry(ByteReader &reader)
{
    const auto width = reader.u8();
    const auto height = reader.u8();
    const auto colorCount = reader.u8();
    if (!width || !height || !colorCount || !reader.skip(5))
        return std::nullopt;
    const auto size = reader.u32();
    const auto offset = reader.u32();
    if (!size || !offset)
        return std::nullopt;
    return Entry{*width, *colorCount, *size, *offset};
}

// The first entry 32 pixels wide with a colour-count byte of 16 or more, or
// else the last entry.
std::optional<Entry> chooseEntry(ByteReader &reader, unsigned count)
{
    std::optional<Entry> last;
    for (unsigned i = 0; i < count; ++i) {
        last = readEntry(reader);
        if (!last)
            return std::nullopt;
        if (last->width == 32 && last->colorCount >= 16)
            return last;
    }
    return last;
}

bool isPng(Bytes image)
{
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return image.size() >= 8 && std::equal(kSignature, kSignature + 8, image.begin());
}

// Sets alpha 0 wherever the AND mask has a set bit; the other pixels keep the
// alpha 255 that decoding gave them. The mask is one bit per pixel, high bits
// first, rows padded to 4 bytes and stored bottom-up like the colour rows.
// Most of a mask is clear, and a clear byte costs one test.
void applyMask(Bytes mask, Image &image)
{
    const int width = image.width;
    const std::int64_t stride = dib::rowStride(width, 1);
    for (int stored = 0; stored < image.height; ++stored) {
        const std::uint8_t *in = mask.data() + std::size_t(stored) * std::size_t(stride);
        std::uint32_t *out = image.pixels.data() + std::size_t(image.height - 1 - stored) * std::size_t(width);
        for (int x = 0; x < width; x += 8) {
            const unsigned bits = in[x >> 3];
            if (bits == 0)
                continue;
            const int count = std::min(8, width - x);
            for (int bit = 0; bit < count; ++bit)
                if ((bits >> (7 - bit)) & 1)
                    out[x + bit] &= 0x00ffffffu;
        }
    }
}

std::optional<Image> decodeBitmapEntry(Bytes entry)
{
    ByteReader reader(entry);
    const auto header = dib::readInfoHeader(reader);
    if (!header || header->headerSize < dib::kInfoHeaderSize || !dib::isSupportedUncompressed(*header))
        return std::nullopt;
    if (header->width <= 0 || header->height <= 0)
        return std::nullopt;
    const std::int64_t width = header->width;
    const std::int64_t height = header->height / 2;
    if (!fitsSizeCaps(width, height))
        return std::nullopt;

    // The colour table follows the header, whatever its length; the colour
    // rows follow the table and the mask rows follow the colour rows.
    const std::int64_t tableStart = header->headerSize;
    const auto tableBytes = checkedMul(dib::colorTableEntries(*header), 4);
    const auto colourStart = tableBytes ? checkedAdd(tableStart, *tableBytes) : std::nullopt;
    const auto colourBytes = checkedMul(dib::rowStride(width, header->bitCount), height);
    const auto maskStart = colourStart && colourBytes ? checkedAdd(*colourStart, *colourBytes) : std::nullopt;
    const auto maskBytes = checkedMul(dib::rowStride(width, 1), height);
    if (!maskStart || !maskBytes)
        return std::nullopt;
    const auto colours = reader.at(std::uint64_t(*colourStart), std::uint64_t(*colourBytes));
    const auto mask = reader.at(std::uint64_t(*maskStart), std::uint64_t(*maskBytes));
    const bool hasAlphaByte = header->bitCount == 32;
    // Only a 32-bit entry may do without its mask, and only when its alpha
    // turns out to be used; everything else is known before allocating.
    if (!colours || (!mask && !hasAlphaByte))
        return std::nullopt;

    const auto palette = dib::readColorTable(reader, tableStart, *header);
    if (!palette)
        return std::nullopt;

    auto image = allocateImage(width, height);
    if (!image)
        return std::nullopt;
    if (!dib::decodeRows(*colours, header->bitCount, *palette, true,
                         hasAlphaByte ? dib::Alpha::FourthByte : dib::Alpha::Opaque, *image))
        return std::nullopt;

    if (hasAlphaByte && std::any_of(image->pixels.begin(), image->pixels.end(),
                                    [](std::uint32_t pixel) { return (pixel >> 24) != 0; }))
        return image;

    if (!mask)
        return std::nullopt;
    if (hasAlphaByte)
        for (std::uint32_t &pixel : image->pixels)
            pixel |= 0xff000000u;
    applyMask(*mask, *image);
    return image;
}

} // namespace

std::optional<Image> decodeIcon(Bytes bytes)
{
    ByteReader reader(bytes);
    const auto reserved = reader.u16();
    const auto type = reader.u16();
    const auto count = reader.u16();
    if (!reserved || !type || !count || *reserved != 0 || (*type != 1 && *type != 2) || *count == 0)
        return std::nullopt;
    if (reader.remaining() < std::size_t(*count) * kEntrySize)
        return std::nullopt;

    const auto entry = chooseEntry(reader, *count);
    if (!entry)
        return std::nullopt;
    const auto image = reader.at(entry->offset, entry->size);
    if (!image)
        return std::nullopt;
    if (isPng(*image))
        return decodePng(*image);
    return decodeBitmapEntry(*image);
}

} // namespace pictures

#include "gif.h"

#include "gif_player.h"
#include "size_caps.h"

#include <algorithm>
#include <cstring>
#include <new>

// Quirks, where this reader parts from the common reading of the format on purpose:
// - Inherited control block: a frame without a graphic control extension of its
//   own takes the delay and transparency of the latest one read, and disposal 0.
// - The loop count of an application extension is ignored (playing loops for ever).
// - A zero byte or an unknown byte where a block should begin ends the GIF like
//   the trailer does; so does data that ends early. The frames read so far stay.
// - A GIF whose data ends right after its first image (only the trailer may
//   follow) is a still picture drawn opaque at the screen's top-left corner,
//   whatever its offset: its transparent index shows the colour stored for it.
//   The screen area it leaves uncovered shows the global table's background
//   colour (black without one). Anything else after the first image, even a
//   lone comment, makes the GIF an animation, if of a single frame.
// - LZW code sizes outside 1..11, a code past the next free table slot and a
//   literal past 255 are corrupt: the frame keeps the pixels decoded before.
// - An index past the colour table is opaque black.
// - A frame of zero width or height, or one wholly off the screen, draws
//   nothing but keeps its place and its delay.
// - A GIF without any image is no picture.

namespace pictures {

namespace {

constexpr int kMaxLzwCodes = 4096;
constexpr int kMaxLzwCodeBits = 12;

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2c;
constexpr std::uint8_t kGraphicControlLabel = 0xf9;
constexpr std::uint8_t kTrailer = 0x3b;

// Graphic control extension, first data sub-block:
//   0  packed: bits 2-4 disposal method, bit 0 transparency flag
//   1  delay in hundredths of a second (u16)
//   3  transparent colour index
struct ControlBlock {
    int disposal = 0;
    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    int delay = 0;
};

// Reads 3-byte RGB entries into a table; nothing when they do not fit.
std::optional<GifPalette> readPalette(ByteReader &reader, int count)
{
    const auto bytes = reader.take(std::size_t(count) * 3);
    if (!bytes)
        return std::nullopt;
    GifPalette palette;
    palette.colors.fill(0xff000000u);
    palette.count = count;
    for (int i = 0; i < count; ++i) {
        const auto *rgb = bytes->data() + i * 3;
        palette.colors[std::size_t(i)] = 0xff000000u | (std::uint32_t(rgb[0]) << 16) | (std::uint32_t(rgb[1]) << 8) | rgb[2];
    }
    return palette;
}

// A run of data sub-blocks: a size byte, then that many bytes, until a size of 0.
class SubBlockReader {
public:
    explicit SubBlockReader(ByteReader &reader) : m_reader(reader) {}

    // The next sub-block, never empty; nothing at the terminator or where the
    // data ends. A block cut short by the end of the data gives what is there.
    std::optional<Bytes> next()
    {
        if (m_finished)
            return std::nullopt;
        const auto size = m_reader.u8();
        if (!size || *size == 0) {
            m_finished = true;
            m_truncated = !size;
            return std::nullopt;
        }
        if (*size > m_reader.remaining())
            m_finished = m_truncated = true;
        if (m_reader.atEnd())
            return std::nullopt;
        return m_reader.take(std::min<std::size_t>(*size, m_reader.remaining()));
    }

    // Skips what is left of the run; false when the data ends before its terminator.
    bool finish()
    {
        while (next()) {
        }
        return !m_truncated;
    }

private:
    ByteReader &m_reader;
    bool m_finished = false;
    bool m_truncated = false;
};

// Decodes LZW codes onto the end of out, at most pixelCount pixels. Strings
// are written back to front along the prefix chain, so no recursion and no
// stack of pending characters is needed. out grows with what the data yields,
// not with what the descriptor claims, so a short file cannot take much memory.
void decodeLzw(SubBlockReader &data, int minimumCodeSize, std::size_t pixelCount, std::vector<std::uint8_t> &out)
{
    if (minimumCodeSize < 1 || minimumCodeSize >= kMaxLzwCodeBits)
        return;

    // One table for the whole frame: each code is a prefix code plus a suffix
    // character; first and length make the string writable without walking it twice.
    struct Table {
        std::uint16_t prefix[kMaxLzwCodes];
        std::uint8_t suffix[kMaxLzwCodes];
        std::uint8_t first[kMaxLzwCodes];
        std::uint16_t length[kMaxLzwCodes];
    };
    Table table;

    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    for (int code = 0; code < clearCode && code < 256; ++code) {
        table.suffix[code] = table.first[code] = std::uint8_t(code);
        table.length[code] = 1;
    }

    int codeBits = minimumCodeSize + 1;
    int nextFree = clearCode + 2;
    int previous = -1;
    std::uint32_t bitBuffer = 0;
    int bitCount = 0;

    Bytes block;
    std::size_t blockPosition = 0;
    // out is grown in steps and cut to what was written on the way out.
    std::size_t written = out.size();
    const auto finish = [&] { out.resize(written); };

    while (written < pixelCount) {
        while (bitCount < codeBits) {
            if (blockPosition == block.size()) {
                const auto nextBlock = data.next();
                if (!nextBlock)
                    return finish();
                block = *nextBlock;
                blockPosition = 0;
            }
            bitBuffer |= std::uint32_t(block[blockPosition++]) << bitCount;
            bitCount += 8;
        }
        const int code = int(bitBuffer & ((1u << codeBits) - 1));
        bitBuffer >>= codeBits;
        bitCount -= codeBits;

        if (code == clearCode) {
            codeBits = minimumCodeSize + 1;
            nextFree = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode)
            return finish();

        if (previous < 0) {
            // Only a literal can follow a clear code (or start the data).
            if (code > clearCode || code >= 256)
                return finish();
        } else if (code > nextFree || (code < clearCode && code >= 256)) {
            return finish();
        } else if (nextFree < kMaxLzwCodes) {
            // code == nextFree is the string being defined right now: the
            // previous string plus its own first character.
            const int firstOfNew = code == nextFree ? table.first[previous] : table.first[code];
            table.prefix[nextFree] = std::uint16_t(previous);
            table.suffix[nextFree] = std::uint8_t(firstOfNew);
            table.first[nextFree] = table.first[previous];
            table.length[nextFree] = std::uint16_t(table.length[previous] + 1);
            ++nextFree;
            if (nextFree == (1 << codeBits) && codeBits < kMaxLzwCodeBits)
                ++codeBits;
        } else if (code == nextFree) {
            // The table is full, so no code can be defined by its own use.
            return finish();
        }
        previous = code;

        // Write the string back to front, dropping what lies past the frame.
        const std::size_t end = written + table.length[code];
        const std::size_t kept = std::min(end, pixelCount);
        if (kept > out.size())
            out.resize(std::min(pixelCount, std::max({kept, out.size() * 2, std::size_t(4096)})));
        int walk = code;
        for (std::size_t position = end; position > kept; --position)
            walk = table.prefix[walk];
        for (std::size_t position = kept; position > written; --position) {
            out[position - 1] = table.suffix[walk];
            walk = table.prefix[walk];
        }
        written = kept;
    }
    finish();
}

enum class ImageRead {
    Complete,
    Truncated,         // the data ended inside the image data; the frame is kept
    DescriptorMissing, // the data ended inside the descriptor or the local table
    Refused,           // the frame breaks the caps or the budget of all frames
};

// Reads one image descriptor with its local table and data into frame.
// Image descriptor after the separator:
//   0  left (u16)    2  top (u16)    4  width (u16)    6  height (u16)
//   8  packed: bit 7 local table, bit 6 interlaced, bits 0-2 table size
ImageRead readImage(ByteReader &reader, GifAnimation &gif, GifFrame &frame, std::int64_t &budget)
{
    const auto left = reader.u16();
    const auto top = reader.u16();
    const auto width = reader.u16();
    const auto height = reader.u16();
    const auto packed = reader.u8();
    if (!packed)
        return ImageRead::DescriptorMissing;
    frame.left = *left;
    frame.top = *top;
    frame.width = *width;
    frame.height = *height;
    frame.interlaced = (*packed & 0x40) != 0;
    frame.palette = 0;

    const std::int64_t pixelCount = std::int64_t(frame.width) * frame.height;
    if (frame.width > kMaxSide || frame.height > kMaxSide || pixelCount > kMaxPixels)
        return ImageRead::Refused;
    std::int64_t cost = pixelCount + std::int64_t(sizeof(GifFrame));
    if (*packed & 0x80)
        cost += std::int64_t(sizeof(GifPalette));
    if (cost > budget)
        return ImageRead::Refused;
    budget -= cost;

    if (*packed & 0x80) {
        auto palette = readPalette(reader, 2 << (*packed & 0x07));
        if (!palette)
            return ImageRead::DescriptorMissing;
        frame.palette = int(gif.palettes.size());
        gif.palettes.push_back(*palette);
    }

    const auto minimumCodeSize = reader.u8();
    if (!minimumCodeSize)
        return ImageRead::Truncated;
    SubBlockReader data(reader);
    decodeLzw(data, *minimumCodeSize, std::size_t(pixelCount), frame.indices);
    return data.finish() ? ImageRead::Complete : ImageRead::Truncated;
}

} // namespace

std::optional<GifAnimation> readGif(Bytes bytes)
{
    if (bytes.size() <= 13)
        return std::nullopt;
    ByteReader reader(bytes);
    const auto signature = reader.take(6);
    if (std::memcmp(signature->data(), "GIF87a", 6) != 0 && std::memcmp(signature->data(), "GIF89a", 6) != 0)
        return std::nullopt;

    // Logical screen descriptor:
    //   0  width (u16)   2  height (u16)
    //   4  packed: bit 7 global table, bits 0-2 table size
    //   5  background colour index   6  pixel aspect ratio
    GifAnimation gif;
    gif.screenWidth = *reader.u16();
    gif.screenHeight = *reader.u16();
    const std::uint8_t packed = *reader.u8();
    const std::uint8_t backgroundIndex = *reader.u8();
    (void)reader.u8();
    if (!fitsSizeCaps(gif.screenWidth, gif.screenHeight))
        return std::nullopt;

    GifPalette global;
    global.colors.fill(0xff000000u);
    if (packed & 0x80) {
        auto table = readPalette(reader, 2 << (packed & 0x07));
        if (!table)
            return std::nullopt;
        global = *table;
    }
    gif.screenBackground = global.colors[backgroundIndex];

    try {
        gif.palettes.push_back(global);
        std::int64_t budget = kMaxGifFrameBytes;
        std::optional<ControlBlock> latestControl;
        bool controlForNextImage = false;
        bool more = true;
        while (more) {
            const auto introducer = reader.u8();
            if (!introducer)
                break;
            if (*introducer == kExtensionIntroducer) {
                const auto label = reader.u8();
                if (!label)
                    break;
                SubBlockReader blocks(reader);
                if (*label == kGraphicControlLabel) {
                    const auto block = blocks.next();
                    if (block && block->size() >= 4) {
                        const auto *fields = block->data();
                        latestControl = ControlBlock{(fields[0] >> 2) & 0x07, (fields[0] & 0x01) != 0, fields[3],
                                                     fields[1] | (fields[2] << 8)};
                        controlForNextImage = true;
                    }
                }
                more = blocks.finish();
            } else if (*introducer == kImageSeparator) {
                GifFrame frame;
                const ImageRead result = readImage(reader, gif, frame, budget);
                if (result == ImageRead::Refused)
                    return std::nullopt;
                if (result == ImageRead::DescriptorMissing)
                    break;
                if (latestControl) {
                    frame.disposal = controlForNextImage ? latestControl->disposal : 0;
                    frame.transparent = latestControl->transparent;
                    frame.transparentIndex = latestControl->transparentIndex;
                    frame.delay = latestControl->delay;
                }
                controlForNextImage = false;
                gif.frames.push_back(std::move(frame));
                more = result == ImageRead::Complete;
                if (gif.frames.size() == 1) {
                    const auto following = reader.at(reader.position(), 1);
                    gif.endsAfterFirstImage = !more || !following || (*following)[0] == kTrailer;
                }
            } else {
                // The trailer, a zero byte or anything unknown ends the GIF.
                more = false;
            }
        }
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    if (gif.frames.empty())
        return std::nullopt;
    return gif;
}

std::optional<GifPicture> decodeGif(Bytes bytes)
{
    auto gif = readGif(bytes);
    if (!gif)
        return std::nullopt;
    GifPicture picture;
    if (!gif->endsAfterFirstImage) {
        try {
            picture.animation = std::make_shared<const GifAnimation>(std::move(*gif));
        } catch (const std::bad_alloc &) {
            return std::nullopt;
        }
        return picture;
    }
    auto still = allocateImage(gif->screenWidth, gif->screenHeight, gif->screenBackground);
    if (!still)
        return std::nullopt;
    // A still picture is its image alone, placed at the screen's top-left
    // corner: the offset of its descriptor plays no part.
    GifFrame &image = gif->frames.front();
    image.left = 0;
    image.top = 0;
    drawGifFrame(*still, *gif, image, GifTransparency::Ignored);
    picture.still = std::move(*still);
    return picture;
}

} // namespace pictures

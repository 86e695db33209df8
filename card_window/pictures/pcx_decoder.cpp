#include "decoders.h"

#include "checked_math.h"
#include "size_caps.h"

#include <algorithm>
#include <vector>

// PCX pictures: a 128-byte header, run-length encoded scan lines of
// one colour plane, and for 256 colours a palette at the very end.
//
// Decisions where the format leaves room, each on purpose:
// - The picture is the header's window, xMax - xMin + 1 by yMax - yMin + 1
//   pixels; each scan line holds bytesPerLine bytes, of which the pixels
//   beyond the window's width are padding. A bytesPerLine too short for the
//   width makes no picture.
// - Runs may carry on from one scan line into the next: old writers did so,
//   and the decoded byte stream is the same either way.
// - Scan lines cut short by the end of the data make no picture, as for
//   bitmaps: nothing is shown that was not read.
// - 256 colours: the byte 769 bytes before the end must be the 0C marker;
//   without it there is no palette and so no picture. The image data is read
//   only up to that marker.
// - Two colours: a clear bit is black and a set bit white, high bits first;
//   the header's 16-colour palette plays no part.
// - Any other bit depth, or more than one colour plane, makes no picture.

namespace pictures {

namespace {

// PCX header, little-endian, 128 bytes:
//   0 u8  manufacturer   0A
//   1 u8  version
//   2 u8  encoding       1, run-length
//   3 u8  bitsPerPixel   per plane: 1 or 8 here
//   4 u16 xMin           the picture's window, inclusive
//   6 u16 yMin
//   8 u16 xMax
//  10 u16 yMax
//  12 u16 hDpi           not used
//  14 u16 vDpi           not used
//  16 u8[48] colorMap    16-colour palette, not used
//  64 u8  reserved
//  65 u8  planes         1 here
//  66 u16 bytesPerLine   decoded bytes of one scan line of one plane
//  68 u16 paletteInfo    not used
//  70 u16 hScreenSize    not used
//  72 u16 vScreenSize    not used
//  74 u8[54] filler
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 768;
constexpr std::uint8_t kPaletteMarker = 0x0c;

// Decodes the run-length stream one scan line at a time. A byte with its two
// high bits set repeats the next byte (its low six bits) times; any other byte
// stands for itself.
class RunLengthReader {
public:
    explicit RunLengthReader(Bytes data) : m_reader(data) {}

    // Fills line completely, or returns false when the data ends first.
    bool fill(std::vector<std::uint8_t> &line)
    {
        std::size_t filled = 0;
        const std::size_t size = line.size();
        while (filled < size) {
            if (m_runLength > 0) {
                const std::size_t count = std::min<std::size_t>(m_runLength, size - filled);
                std::fill_n(line.begin() + std::ptrdiff_t(filled), count, m_runValue);
                filled += count;
                m_runLength -= count;
                continue;
            }
            const auto byte = m_reader.u8();
            if (!byte)
                return false;
            if ((*byte & 0xc0) != 0xc0) {
                line[filled++] = *byte;
                continue;
            }
            const auto value = m_reader.u8();
            if (!value)
                return false;
            m_runLength = *byte & 0x3f;
            m_runValue = *value;
        }
        return true;
    }

private:
    ByteReader m_reader;
    std::size_t m_runLength = 0;
    std::uint8_t m_runValue = 0;
};

} // namespace

std::optional<Image> decodePcx(Bytes bytes)
{
    if (bytes.size() <= kHeaderSize)
        return std::nullopt;
    ByteReader reader(bytes);
    const auto manufacturer = reader.u8();
    const auto version = reader.u8();
    const auto encoding = reader.u8();
    const auto bitsPerPixel = reader.u8();
    const auto xMin = reader.u16();
    const auto yMin = reader.u16();
    const auto xMax = reader.u16();
    const auto yMax = reader.u16();
    if (!manufacturer || !version || !encoding || !bitsPerPixel || !xMin || !yMin || !xMax || !yMax)
        return std::nullopt;
    if (!reader.seek(65))
        return std::nullopt;
    const auto planes = reader.u8();
    const auto bytesPerLine = reader.u16();
    if (!planes || !bytesPerLine)
        return std::nullopt;
    if (*manufacturer != 0x0a || *encoding != 1 || *planes != 1 || (*bitsPerPixel != 8 && *bitsPerPixel != 1))
        return std::nullopt;

    const std::int64_t width = std::int64_t(*xMax) - *xMin + 1;
    const std::int64_t height = std::int64_t(*yMax) - *yMin + 1;
    if (!fitsSizeCaps(width, height))
        return std::nullopt;
    const std::int64_t lineBytesNeeded = (width * *bitsPerPixel + 7) / 8;
    if (*bytesPerLine < lineBytesNeeded)
        return std::nullopt;

    std::uint32_t colours[256];
    Bytes data;
    if (*bitsPerPixel == 8) {
        if (bytes.size() < kHeaderSize + 1 + kPaletteSize)
            return std::nullopt;
        const std::size_t markerAt = bytes.size() - kPaletteSize - 1;
        const auto marker = reader.at(markerAt, 1);
        const auto palette = reader.at(markerAt + 1, kPaletteSize);
        const auto imageData = reader.at(kHeaderSize, markerAt - kHeaderSize);
        if (!marker || !palette || !imageData || (*marker)[0] != kPaletteMarker)
            return std::nullopt;
        for (std::size_t i = 0; i < 256; ++i)
            colours[i] = 0xff000000u | (std::uint32_t((*palette)[i * 3]) << 16)
                | (std::uint32_t((*palette)[i * 3 + 1]) << 8) | (*palette)[i * 3 + 2];
        data = *imageData;
    } else {
        colours[0] = 0xff000000u;
        colours[1] = 0xffffffffu;
        data = *reader.from(kHeaderSize);
    }

    // A scan line must be decoded in full before its first pixel can be used,
    // and every one of them must be there: cheap to check before allocating,
    // since each encoded byte yields at most 63 decoded ones.
    const auto decodedBytes = checkedMul(*bytesPerLine, height);
    const auto mostDecodable = checkedMul(std::int64_t(data.size()), 63);
    if (!decodedBytes || !mostDecodable || *decodedBytes > *mostDecodable)
        return std::nullopt;

    auto image = allocateImage(width, height);
    if (!image)
        return std::nullopt;
    std::vector<std::uint8_t> line(*bytesPerLine);
    RunLengthReader runs(data);
    const int imageWidth = image->width;
    for (int y = 0; y < image->height; ++y) {
        if (!runs.fill(line))
            return std::nullopt;
        std::uint32_t *out = image->pixels.data() + std::size_t(y) * std::size_t(imageWidth);
        if (*bitsPerPixel == 8) {
            for (int x = 0; x < imageWidth; ++x)
                out[x] = colours[line[std::size_t(x)]];
        } else {
            for (int x = 0; x < imageWidth; ++x)
                out[x] = colours[(line[std::size_t(x) >> 3] >> (7 - (x & 7))) & 1];
        }
    }
    return image;
}

} // namespace pictures

// Writes the fuzz seeds of the bitmap, icon and PCX targets, and of the whole
// set-picture path, from the same builders as the decoder tests:
//   build-fuzz/fuzz/write_fuzz_seeds fuzz/seeds
// The files are committed; run this again after changing the builders.

#include "../tests/still_fixtures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using still_fixtures::Bytes;
using still_fixtures::Dib;

namespace {

Dib dib(int bits, int width, int height, std::uint32_t seed)
{
    Dib d;
    d.bits = bits;
    d.width = width;
    d.height = height;
    std::uint32_t state = seed;
    if (bits <= 8) {
        const int colours = bits == 8 ? 20 : 1 << bits;
        for (int i = 0; i < colours; ++i)
            d.palette.push_back(still_fixtures::noise(state) & 0xffffff);
        for (int i = 0; i < width * height; ++i)
            d.pixels.push_back(still_fixtures::noise(state) % std::uint32_t(colours));
    } else {
        for (int i = 0; i < width * height; ++i)
            d.pixels.push_back(still_fixtures::noise(state));
    }
    return d;
}

std::vector<bool> mask(int width, int height)
{
    std::vector<bool> m;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.push_back(x == 0 || y == 0 || x == y);
    return m;
}

still_fixtures::IconEntry entry(const Dib &d, std::uint8_t colorCount, bool withMask = true)
{
    still_fixtures::IconEntry e;
    e.width = std::uint8_t(d.width);
    e.height = std::uint8_t(d.height);
    e.colorCount = colorCount;
    e.bitCount = std::uint16_t(d.bits);
    e.image = still_fixtures::iconBitmapImage(d, withMask ? std::optional(mask(d.width, d.height)) : std::nullopt);
    return e;
}

still_fixtures::Pcx pcx(int bits, int width, int height)
{
    still_fixtures::Pcx p;
    p.bitsPerPixel = std::uint8_t(bits);
    p.version = bits == 1 ? 3 : 5;
    p.xMax = std::uint16_t(width - 1);
    p.yMax = std::uint16_t(height - 1);
    p.bytesPerLine = std::uint16_t(((width * bits + 7) / 8 + 1) & ~1);
    std::uint32_t state = 7;
    for (int y = 0; y < height; ++y) {
        Bytes line;
        for (int x = 0; x < p.bytesPerLine; ++x)
            line.push_back(x % 5 < 3 ? 0xc5 : std::uint8_t(still_fixtures::noise(state)));
        p.lines.push_back(line);
    }
    if (bits == 8)
        for (int i = 0; i < 256; ++i)
            p.palette.push_back(still_fixtures::noise(state) & 0xffffff);
    return p;
}

void write(const std::filesystem::path &folder, const std::string &name, const Bytes &bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <fuzz/seeds>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path seeds = argv[1];
    std::vector<std::pair<std::string, Bytes>> bitmaps, icons, pcxs;

    for (int bits : {1, 4, 8, 24, 32})
        bitmaps.push_back({"bitmap-" + std::to_string(bits) + "bit.bmp", still_fixtures::bitmapFile(dib(bits, 13, 5, std::uint32_t(bits)))});
    {
        Dib d = dib(8, 9, 4, 3);
        d.topDown = true;
        bitmaps.push_back({"bitmap-topdown.bmp", still_fixtures::bitmapFile(d)});
        d = dib(4, 7, 3, 4);
        d.colorsUsed = 0;
        bitmaps.push_back({"bitmap-gap.bmp", still_fixtures::bitmapFile(d, 9)});
        d = dib(8, 6, 3, 5);
        d.compression = 1;
        bitmaps.push_back({"bitmap-rle8.bmp", still_fixtures::bitmapFile(d)});
        d = dib(24, 6, 3, 6);
        d.bits = 16;
        bitmaps.push_back({"bitmap-16bit.bmp", still_fixtures::bitmapFile(d)});
    }

    icons.push_back({"icon-last-entry.ico", still_fixtures::iconFile({entry(dib(8, 16, 16, 1), 0), entry(dib(8, 32, 32, 2), 0),
                                                               entry(dib(32, 16, 16, 3), 0), entry(dib(32, 32, 32, 4), 0)})});
    icons.push_back({"icon-16-colours.ico", still_fixtures::iconFile({entry(dib(4, 16, 16, 1), 16), entry(dib(4, 32, 32, 2), 16),
                                                                    entry(dib(24, 16, 16, 3), 0)})});
    for (int bits : {1, 4, 8, 24})
        icons.push_back({"icon-" + std::to_string(bits) + "bit.ico", still_fixtures::iconFile({entry(dib(bits, 11, 6, 9), 0)})});
    icons.push_back({"icon-32bit-nomask.ico", still_fixtures::iconFile({entry(dib(32, 9, 5, 10), 0, false)})});
    icons.push_back({"cursor.cur", still_fixtures::iconFile({entry(dib(1, 16, 16, 11), 2)}, 2)});
    {
        std::uint32_t state = 12;
        std::vector<std::uint32_t> pixels;
        for (int i = 0; i < 6 * 5; ++i)
            pixels.push_back(still_fixtures::noise(state));
        still_fixtures::IconEntry png;
        png.width = 6;
        png.height = 5;
        png.bitCount = 32;
        png.image = still_fixtures::pngFile(6, 5, pixels);
        icons.push_back({"icon-png.ico", still_fixtures::iconFile({entry(dib(8, 16, 16, 13), 0), png})});
    }

    pcxs.push_back({"pcx-256.pcx", still_fixtures::pcxFile(pcx(8, 13, 5))});
    pcxs.push_back({"pcx-2.pcx", still_fixtures::pcxFile(pcx(1, 21, 5))});
    {
        still_fixtures::Pcx three = pcx(8, 6, 3);
        three.planes = 3;
        for (Bytes &line : three.lines)
            line.insert(line.end(), line.begin(), line.end());
        pcxs.push_back({"pcx-3planes.pcx", still_fixtures::pcxFile(three)});
    }

    for (const auto &[name, bytes] : bitmaps)
        write(seeds / "fuzz_bitmap", name, bytes);
    for (const auto &[name, bytes] : icons)
        write(seeds / "fuzz_icon", name, bytes);
    for (const auto &[name, bytes] : pcxs)
        write(seeds / "fuzz_pcx", name, bytes);
    for (const auto *group : {&bitmaps, &icons, &pcxs})
        for (const auto &[name, bytes] : *group)
            write(seeds / "fuzz_decode_picture", name, bytes);
    return 0;
}

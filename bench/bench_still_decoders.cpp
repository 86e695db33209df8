// Our bitmap and icon decoders against Qt's readers (QImageReader) on the same
// bytes in the same run, at 24 x 24 (an avatar) and 512 x 512.
//
//   build/bench/bench_still_decoders --benchmark_min_time=0.5
//
// Each pair of rows decodes identical bytes; the Qt rows give QImageReader the
// format, so it does not spend time guessing it. Qt keeps 8-bit bitmaps as an
// indexed image, a quarter of the memory of ours; the "+ARGB32" rows add the
// conversion to the 32-bit pixels that a picture box draws, which ours
// produce directly.

#include "../tests/still_fixtures.h"
#include "decoders.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

still_fixtures::Dib picture(int bits, int size)
{
    still_fixtures::Dib dib;
    dib.bits = bits;
    dib.width = size;
    dib.height = size;
    std::uint32_t state = 0x2545f491u;
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            dib.palette.push_back(still_fixtures::noise(state) & 0xffffffu);
    for (int i = 0; i < size * size; ++i) {
        const std::uint32_t value = still_fixtures::noise(state);
        dib.pixels.push_back(bits <= 8 ? value % (1u << bits) : (bits == 32 ? value | 0x80000000u : value));
    }
    return dib;
}

// An icon of one entry: the picture with a mask whose left quarter is
// transparent (unused by 32-bit entries, whose alpha decides).
still_fixtures::Bytes icon(int bits, int size)
{
    const still_fixtures::Dib dib = picture(bits, size);
    std::vector<bool> mask;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            mask.push_back(x < size / 4);
    still_fixtures::IconEntry entry;
    entry.width = std::uint8_t(size >= 256 ? 0 : size);
    entry.height = entry.width;
    entry.colorCount = bits < 8 ? std::uint8_t(1 << bits) : 0;
    entry.bitCount = std::uint16_t(bits);
    entry.image = still_fixtures::iconBitmapImage(dib, mask);
    return still_fixtures::iconFile({entry});
}

enum class Kind { Bitmap, Icon };

// The bytes of each benchmarked file, made once.
const QByteArray &bytesOf(Kind kind, int bits, int size)
{
    static std::map<std::tuple<Kind, int, int>, QByteArray> cache;
    QByteArray &bytes = cache[{kind, bits, size}];
    if (bytes.isEmpty()) {
        const still_fixtures::Bytes made = kind == Kind::Bitmap ? still_fixtures::bitmapFile(picture(bits, size)) : icon(bits, size);
        bytes = QByteArray(reinterpret_cast<const char *>(made.data()), qsizetype(made.size()));
    }
    return bytes;
}

pictures::Bytes span(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

void ours(benchmark::State &state, Kind kind, int bits)
{
    const int size = int(state.range(0));
    const QByteArray &bytes = bytesOf(kind, bits, size);
    const auto decode = kind == Kind::Bitmap ? pictures::decodeBitmap : pictures::decodeIcon;
    for (auto _ : state) {
        auto image = decode(span(bytes));
        if (!image || image->width != size)
            state.SkipWithError("our decoder gave no picture");
        benchmark::DoNotOptimize(image);
    }
    state.SetItemsProcessed(state.iterations() * size * size);
}

void qt(benchmark::State &state, Kind kind, int bits, bool toArgb32)
{
    const int size = int(state.range(0));
    const QByteArray &bytes = bytesOf(kind, bits, size);
    const QByteArray format = kind == Kind::Bitmap ? "bmp" : "ico";
    for (auto _ : state) {
        QByteArray view = QByteArray::fromRawData(bytes.constData(), bytes.size());
        QBuffer buffer(&view);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        QImage image = reader.read();
        if (toArgb32)
            image = image.convertToFormat(QImage::Format_ARGB32);
        if (image.width() != size)
            state.SkipWithError(qPrintable("Qt gave no picture: " + reader.errorString()));
        benchmark::DoNotOptimize(image);
    }
    state.SetItemsProcessed(state.iterations() * size * size);
}

void sizes(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(24)->Arg(512);
}

// Qt's icon reader refuses bitmap entries larger than 256 pixels (the most a
// directory entry can state), so icons are also timed at 256 x 256.
void iconSizes(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(24)->Arg(256)->Arg(512);
}

} // namespace

BENCHMARK_CAPTURE(ours, bitmap_24bit, Kind::Bitmap, 24)->Apply(sizes);
BENCHMARK_CAPTURE(qt, bitmap_24bit, Kind::Bitmap, 24, false)->Apply(sizes);
BENCHMARK_CAPTURE(ours, bitmap_8bit, Kind::Bitmap, 8)->Apply(sizes);
BENCHMARK_CAPTURE(qt, bitmap_8bit, Kind::Bitmap, 8, false)->Apply(sizes);
BENCHMARK_CAPTURE(qt, bitmap_8bit_to_argb32, Kind::Bitmap, 8, true)->Apply(sizes);
BENCHMARK_CAPTURE(ours, icon_32bit, Kind::Icon, 32)->Apply(iconSizes);
BENCHMARK_CAPTURE(qt, icon_32bit, Kind::Icon, 32, false)->Apply(iconSizes);
BENCHMARK_CAPTURE(ours, icon_8bit, Kind::Icon, 8)->Apply(iconSizes);
BENCHMARK_CAPTURE(qt, icon_8bit, Kind::Icon, 8, false)->Apply(iconSizes);

// Hand-made hostile inputs for the bitmap, icon and PCX decoders: sizes whose
// products overflow, sizes past the caps, counts and offsets past the end,
// and good files cut at every length. Each gives no picture, through the
// decoder and through the whole set-picture path, without a crash and
// without a large allocation (the caps are checked before any pixel memory
// is asked for).

#include "decoder_test_support.h"
#include "decoders.h"

#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

// The largest single allocation made while watching, to show that a small
// file never makes a decoder ask for the memory its header claims.
namespace {
std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};

void *allocate(std::size_t size)
{
    if (g_watching.load(std::memory_order_relaxed)) {
        std::size_t largest = g_largest.load(std::memory_order_relaxed);
        while (size > largest && !g_largest.compare_exchange_weak(largest, size))
        {
        }
    }
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void *operator new(std::size_t size)
{
    return allocate(size);
}
void *operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void *memory) noexcept
{
    std::free(memory);
}
void operator delete[](void *memory) noexcept
{
    std::free(memory);
}
void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void *memory, std::size_t) noexcept
{
    std::free(memory);
}

using namespace decoder_test;
using still_fixtures::Dib;

namespace {

using Decoder = std::optional<pictures::Image> (*)(pictures::Bytes);

enum class Kind { Bitmap, Icon, Pcx };

Decoder decoderOf(Kind kind)
{
    switch (kind) {
    case Kind::Bitmap:
        return pictures::decodeBitmap;
    case Kind::Icon:
        return pictures::decodeIcon;
    case Kind::Pcx:
        return pictures::decodePcx;
    }
    return nullptr;
}

// A bitmap file header and information header with the given fields and
// nothing after them but extra bytes.
still_fixtures::Bytes bitmapHeader(std::int32_t width, std::int32_t height, int bits, std::uint32_t colorsUsed = 0,
                             std::uint32_t dataOffset = 54, std::size_t extra = 64)
{
    still_fixtures::Writer w;
    w.u8('B').u8('M').u32(0).u16(0).u16(0).u32(dataOffset);
    w.u32(40).i32(width).i32(height).u16(1).u16(unsigned(bits)).u32(0).u32(0).i32(0).i32(0).u32(colorsUsed).u32(0);
    w.zeros(extra);
    return w.bytes;
}

// An icon whose one entry is a bitmap header with the given fields.
still_fixtures::Bytes iconWithHeader(std::int32_t width, std::int32_t height, int bits, std::uint32_t colorsUsed = 0)
{
    still_fixtures::Writer image;
    image.u32(40).i32(width).i32(height).u16(1).u16(unsigned(bits)).u32(0).u32(0).i32(0).i32(0).u32(colorsUsed).u32(0);
    image.zeros(64);
    still_fixtures::IconEntry entry;
    entry.image = image.bytes;
    return still_fixtures::iconFile({entry});
}

still_fixtures::Bytes pcxHeader(std::uint16_t xMax, std::uint16_t yMax, std::uint16_t bytesPerLine, std::uint8_t bits = 8,
                          std::size_t extra = 1000)
{
    still_fixtures::Writer w;
    w.u8(0x0a).u8(5).u8(1).u8(bits).u16(0).u16(0).u16(xMax).u16(yMax).u16(72).u16(72);
    w.zeros(48).u8(0).u8(1).u16(bytesPerLine).u16(1).u16(0).u16(0).zeros(54);
    // Runs of 63 zeros, the most a byte pair can claim, then the marker and
    // palette of a 256-colour file.
    for (std::size_t i = 0; i < extra / 2; ++i)
        w.u8(0xff).u8(0);
    w.u8(0x0c).zeros(768);
    return w.bytes;
}

Dib smallDib(int bits, int width, int height)
{
    Dib dib;
    dib.bits = bits;
    dib.width = width;
    dib.height = height;
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            dib.palette.push_back(std::uint32_t(i) * 0x0a0b0cu & 0xffffffu);
    for (int i = 0; i < width * height; ++i)
        dib.pixels.push_back(bits <= 8 ? std::uint32_t(i % (1 << bits)) : std::uint32_t(i) * 0x01020304u);
    return dib;
}

still_fixtures::IconEntry iconEntry(const Dib &dib, std::uint8_t colorCount)
{
    still_fixtures::IconEntry entry;
    entry.width = std::uint8_t(dib.width);
    entry.height = std::uint8_t(dib.height);
    entry.colorCount = colorCount;
    entry.bitCount = std::uint16_t(dib.bits);
    entry.image = still_fixtures::iconBitmapImage(dib, std::vector<bool>(std::size_t(dib.width * dib.height), false));
    return entry;
}

// Good files of every kind; each decodes whole and gives nothing when cut.
// The chosen entry of each icon is stored last, so that every cut reaches it.
std::vector<std::pair<const char *, std::pair<Kind, still_fixtures::Bytes>>> goodFiles()
{
    std::vector<std::pair<const char *, std::pair<Kind, still_fixtures::Bytes>>> files;
    files.push_back({"bitmap 1 bit", {Kind::Bitmap, still_fixtures::bitmapFile(smallDib(1, 11, 3))}});
    files.push_back({"bitmap 4 bits", {Kind::Bitmap, still_fixtures::bitmapFile(smallDib(4, 5, 3))}});
    files.push_back({"bitmap 8 bits", {Kind::Bitmap, still_fixtures::bitmapFile(smallDib(8, 5, 3))}});
    files.push_back({"bitmap 24 bits", {Kind::Bitmap, still_fixtures::bitmapFile(smallDib(24, 5, 3))}});
    files.push_back({"bitmap 32 bits", {Kind::Bitmap, still_fixtures::bitmapFile(smallDib(32, 5, 3))}});
    {
        Dib dib = smallDib(8, 5, 3);
        dib.topDown = true;
        files.push_back({"bitmap top-down", {Kind::Bitmap, still_fixtures::bitmapFile(dib)}});
    }
    files.push_back({"icon, two entries", {Kind::Icon, still_fixtures::iconFile({iconEntry(smallDib(8, 16, 16), 0),
                                                                          iconEntry(smallDib(4, 32, 32), 16)})}});
    files.push_back({"icon 32 bits", {Kind::Icon, still_fixtures::iconFile({iconEntry(smallDib(32, 8, 8), 0)})}});
    files.push_back({"cursor", {Kind::Icon, still_fixtures::iconFile({iconEntry(smallDib(1, 16, 16), 2)}, 2)}});
    {
        still_fixtures::Pcx pcx;
        pcx.xMax = 6;
        pcx.yMax = 2;
        pcx.bytesPerLine = 8;
        for (int y = 0; y < 3; ++y)
            pcx.lines.push_back({1, 2, 2, 2, std::uint8_t(0xd0 + y), 5, 6, 0});
        for (std::uint32_t i = 0; i < 256; ++i)
            pcx.palette.push_back((i * 0x010101u) == 0x0c0c0cu ? 0x0d0d0du : i * 0x010101u);
        files.push_back({"PCX 256 colours", {Kind::Pcx, still_fixtures::pcxFile(pcx)}});
        pcx.version = 3;
        pcx.bitsPerPixel = 1;
        pcx.palette.clear();
        files.push_back({"PCX 2 colours", {Kind::Pcx, still_fixtures::pcxFile(pcx)}});
    }
    return files;
}

} // namespace

class TestHostilePictures : public QObject {
    Q_OBJECT
private slots:
    void allocationWatchWorks();
    void nothing_data();
    void nothing();
    void goodFilesDecode_data();
    void goodFilesDecode();
    void truncatedAtEveryLength_data();
    void truncatedAtEveryLength();
};

// The watch below sees the image buffer of a good picture, so a small
// largest allocation for a hostile one means something.
void TestHostilePictures::allocationWatchWorks()
{
    const QByteArray bytes = toByteArray(still_fixtures::bitmapFile(smallDib(24, 300, 300)));
    g_largest = 0;
    g_watching = true;
    const auto image = pictures::decodeBitmap(span(bytes));
    g_watching = false;
    QVERIFY(image);
    QVERIFY(g_largest >= 300 * 300 * 4);
}

void TestHostilePictures::nothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    const auto add = [](const char *name, Kind kind, const still_fixtures::Bytes &bytes) {
        QTest::newRow(name) << int(kind) << toByteArray(bytes);
    };

    // Bitmaps whose sizes overflow a 32-bit product or pass the caps.
    add("bitmap 65536 x 65536 (product 2^32)", Kind::Bitmap, bitmapHeader(65536, 65536, 32));
    add("bitmap 65537 x 65537 at 32 bits", Kind::Bitmap, bitmapHeader(65537, 65537, 32));
    add("bitmap 2^31-1 x 2^31-1", Kind::Bitmap, bitmapHeader(0x7fffffff, 0x7fffffff, 24));
    add("bitmap width 2^31-1 x 1, 1 bit", Kind::Bitmap, bitmapHeader(0x7fffffff, 1, 1));
    add("bitmap height INT32_MIN", Kind::Bitmap, bitmapHeader(5, std::numeric_limits<std::int32_t>::min(), 24));
    add("bitmap width INT32_MIN", Kind::Bitmap, bitmapHeader(std::numeric_limits<std::int32_t>::min(), 5, 24));
    add("bitmap 3000000 x 2000000", Kind::Bitmap, bitmapHeader(3000000, 2000000, 24));
    add("bitmap 16385 x 1", Kind::Bitmap, bitmapHeader(16385, 1, 8, 0, 1078, 2000));
    add("bitmap 16384 x 16384 (past the pixel cap)", Kind::Bitmap, bitmapHeader(16384, 16384, 8, 0, 1078, 2000));
    add("bitmap 16384 x 4096 (at the caps), no data", Kind::Bitmap, bitmapHeader(16384, 4096, 32));
    add("bitmap 8192 x 8192 at 1 bit, no data", Kind::Bitmap, bitmapHeader(8192, 8192, 1, 2, 62));
    add("bitmap used colours 0xffffffff", Kind::Bitmap, bitmapHeader(4, 4, 8, 0xffffffffu, 1078, 2000));
    add("bitmap used colours 0x40000000 at 4 bits", Kind::Bitmap, bitmapHeader(4, 4, 4, 0x40000000u, 1078, 2000));
    add("bitmap data offset 0xffffffff", Kind::Bitmap, bitmapHeader(4, 4, 24, 0, 0xffffffffu));
    add("bitmap data offset one past the end", Kind::Bitmap, bitmapHeader(1, 1, 24, 0, 54 + 64 + 1));
    {
        Dib dib = smallDib(8, 5, 3);
        dib.pixels[7] = 200;
        dib.palette.resize(100);
        add("bitmap palette index past the table", Kind::Bitmap, still_fixtures::bitmapFile(dib));
    }
    {
        still_fixtures::Bytes bytes = bitmapHeader(4, 4, 24);
        bytes.resize(14);
        add("bitmap, file header only", Kind::Bitmap, bytes);
    }

    // Icons: counts and offsets past the end, entries with hostile headers.
    {
        still_fixtures::Bytes good = still_fixtures::iconFile({iconEntry(smallDib(8, 16, 16), 0)});
        still_fixtures::Bytes bytes = good;
        bytes[4] = bytes[5] = 0xff;
        add("icon count 65535", Kind::Icon, bytes);
        bytes = good;
        bytes[4] = 2;
        add("icon count 2, one entry", Kind::Icon, bytes);
        bytes = good;
        bytes[18] = bytes[19] = bytes[20] = 0xff;
        bytes[21] = 0x7f;
        add("icon offset 0x7fffffff", Kind::Icon, bytes);
        bytes = good;
        bytes[14] = bytes[15] = bytes[16] = bytes[17] = 0xff;
        add("icon size 0xffffffff", Kind::Icon, bytes);
        bytes = good;
        bytes[18] = 0xf0;
        bytes[19] = bytes[20] = bytes[21] = 0xff;
        bytes[14] = 0x20;
        bytes[15] = bytes[16] = bytes[17] = 0;
        add("icon offset + size wraps around", Kind::Icon, bytes);
    }
    add("icon entry 65536 x 65536", Kind::Icon, iconWithHeader(65536, 131072, 32));
    add("icon entry 2^31-1 x (2^31-1)/2", Kind::Icon, iconWithHeader(0x7fffffff, 0x7fffffff, 32));
    add("icon entry 16384 x 8192 (past the pixel cap)", Kind::Icon, iconWithHeader(16384, 16384, 1));
    add("icon entry 4096 x 4096, no data", Kind::Icon, iconWithHeader(4096, 8192, 32));
    add("icon entry used colours 0xffffffff", Kind::Icon, iconWithHeader(4, 8, 8, 0xffffffffu));
    add("icon entry height INT32_MIN", Kind::Icon, iconWithHeader(4, std::numeric_limits<std::int32_t>::min(), 8));

    // PCX: windows past the caps and pictures larger than their data.
    add("PCX 65536 x 65536", Kind::Pcx, pcxHeader(65535, 65535, 65535));
    add("PCX 16384 x 16384", Kind::Pcx, pcxHeader(16383, 16383, 16384));
    add("PCX 8192 x 8192 from 1000 bytes", Kind::Pcx, pcxHeader(8191, 8191, 8192));
    add("PCX 8192 x 8192 at 1 bit from 1000 bytes", Kind::Pcx, pcxHeader(8191, 8191, 1024, 1));
    add("PCX bytes per line 0", Kind::Pcx, pcxHeader(3, 3, 0));
}

void TestHostilePictures::nothing()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    g_largest = 0;
    g_watching = true;
    const auto image = decoderOf(Kind(kind))(span(bytes));
    const auto picture = pictures::decodePicture(span(bytes));
    g_watching = false;
    QVERIFY(!image);
    QVERIFY(!picture);
    QVERIFY2(g_largest < 1024 * 1024, qPrintable(QStringLiteral("allocated %1 bytes").arg(g_largest.load())));
}

void TestHostilePictures::goodFilesDecode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    for (const auto &[name, file] : goodFiles())
        QTest::newRow(name) << int(file.first) << toByteArray(file.second);
}

// The files cut below are good as a whole.
void TestHostilePictures::goodFilesDecode()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QVERIFY(decoderOf(Kind(kind))(span(bytes)));
    QVERIFY(pictures::decodePicture(span(bytes)));
}

void TestHostilePictures::truncatedAtEveryLength_data()
{
    goodFilesDecode_data();
}

void TestHostilePictures::truncatedAtEveryLength()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    const Decoder decode = decoderOf(Kind(kind));
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        // A copy of exactly length bytes, so that ASan sees any read past it.
        const QByteArray cut(bytes.constData(), length);
        QVERIFY2(!decode(span(cut)), qPrintable(QStringLiteral("decoded when cut to %1 bytes").arg(length)));
        QVERIFY2(!pictures::decodePicture(span(cut)), qPrintable(QStringLiteral("cut to %1 bytes").arg(length)));
    }
}

QTEST_GUILESS_MAIN(TestHostilePictures)
#include "test_hostile_pictures.moc"

// The icon and cursor decoder: the entry choice rule with the
// two classic choices, every bit depth with its AND mask, 32-bit alpha, PNG
// entries, cursors, and the files it refuses.

#include "decoder_test_support.h"
#include "decoders.h"

#include <QtTest>

using namespace decoder_test;
using still_fixtures::Dib;
using still_fixtures::IconEntry;

namespace {

// A picture of one colour family per entry, so that the chosen one is known
// by its pixels: seed picks the family.
Dib entryDib(int bits, int width, int height, std::uint32_t seed)
{
    Dib dib;
    dib.bits = bits;
    dib.width = width;
    dib.height = height;
    if (bits <= 8) {
        const std::size_t colours = std::size_t(1) << std::min(bits, 8);
        for (std::size_t i = 0; i < colours; ++i)
            dib.palette.push_back((seed * 0x3b0000u + std::uint32_t(i) * 0x010305u) & 0xffffffu);
        dib.colorsUsed = bits == 8 ? 0 : std::uint32_t(colours);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                dib.pixels.push_back(std::uint32_t(x + 2 * y + int(seed)) % colours);
    } else {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t rgb = (seed * 0x3b0000u + std::uint32_t(x) * 0x0701u + std::uint32_t(y) * 0x0b) & 0xffffffu;
                const std::uint32_t alpha = bits == 32 ? std::uint32_t(x * 255 / std::max(1, width - 1)) : 0;
                dib.pixels.push_back(alpha << 24 | rgb);
            }
    }
    return dib;
}

// A mask with a transparent border one pixel wide and a transparent diagonal.
std::vector<bool> borderMask(int width, int height)
{
    std::vector<bool> mask;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.push_back(x == 0 || y == 0 || x == width - 1 || y == height - 1 || x == y);
    return mask;
}

// What the decoder returns for a bitmap entry: the colour of each pixel, with
// alpha 0 where the mask is set and 255 elsewhere; for 32 bits with any
// non-zero alpha, the stored pixels as they are.
QList<quint32> expected(const Dib &dib, const std::vector<bool> &mask)
{
    QList<quint32> pixels;
    bool anyAlpha = false;
    if (dib.bits == 32)
        for (std::uint32_t pixel : dib.pixels)
            anyAlpha |= (pixel >> 24) != 0;
    for (std::size_t i = 0; i < dib.pixels.size(); ++i) {
        if (anyAlpha) {
            pixels.append(dib.pixels[i]);
            continue;
        }
        const std::uint32_t rgb = dib.bits <= 8 ? dib.palette[dib.pixels[i]] : dib.pixels[i] & 0xffffffu;
        pixels.append((mask[i] ? 0u : 0xff000000u) | rgb);
    }
    return pixels;
}

IconEntry bitmapEntry(const Dib &dib, std::uint8_t colorCount, const std::vector<bool> &mask)
{
    IconEntry entry;
    entry.width = std::uint8_t(dib.width);
    entry.height = std::uint8_t(dib.height);
    entry.colorCount = colorCount;
    entry.bitCount = std::uint16_t(dib.bits);
    entry.image = still_fixtures::iconBitmapImage(dib, mask);
    return entry;
}

std::uint8_t colorCountByte(int bits)
{
    return bits < 8 ? std::uint8_t(1u << bits) : 0;
}

// An icon of one entry of the given depth and size, mask included.
still_fixtures::Bytes oneEntryIcon(int bits, int width, int height, std::uint16_t type = 1)
{
    const Dib dib = entryDib(bits, width, height, 1);
    return still_fixtures::iconFile({bitmapEntry(dib, colorCountByte(bits), borderMask(width, height))}, type);
}

// A small PNG picture with every kind of alpha.
std::vector<std::uint32_t> pngPixels(int width, int height)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back((std::uint32_t((x * 85) & 0xff) << 24) | (0x00a0b0c0u ^ std::uint32_t(x * 0x10101 + y * 0x30201)));
    return pixels;
}

} // namespace

class TestIconDecoder : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
    void iconsAndCursorsAreMasked_data();
    void iconsAndCursorsAreMasked();
    void pngEntry();
};

void TestIconDecoder::decodes_data()
{
    addDecodedColumns();

    {
        // First case: 16 and 32 pixels, 256 colours and true colour,
        // every colour-count byte 0, so no entry qualifies and the last is shown.
        const Dib small8 = entryDib(8, 16, 16, 1), large8 = entryDib(8, 32, 32, 2);
        const Dib small32 = entryDib(32, 16, 16, 3), large32 = entryDib(32, 32, 32, 4);
        const auto file = still_fixtures::iconFile({
            bitmapEntry(small8, 0, borderMask(16, 16)),
            bitmapEntry(large8, 0, borderMask(32, 32)),
            bitmapEntry(small32, 0, borderMask(16, 16)),
            bitmapEntry(large32, 0, borderMask(32, 32)),
        });
        QTest::newRow("16 and 32 px, 256 colours and true colour: the last entry")
            << toByteArray(file) << 32 << 32 << expected(large32, borderMask(32, 32));
    }
    {
        // Second case: a 32-pixel 16-colour entry is chosen over
        // the entries after it.
        const Dib small4 = entryDib(4, 16, 16, 1), large4 = entryDib(4, 32, 32, 2);
        const Dib large8 = entryDib(8, 32, 32, 3), large32 = entryDib(32, 48, 48, 4);
        const auto file = still_fixtures::iconFile({
            bitmapEntry(small4, 16, borderMask(16, 16)),
            bitmapEntry(large4, 16, borderMask(32, 32)),
            bitmapEntry(large8, 0, borderMask(32, 32)),
            bitmapEntry(large32, 0, borderMask(48, 48)),
        });
        QTest::newRow("a 32 px 16-colour entry is chosen")
            << toByteArray(file) << 32 << 32 << expected(large4, borderMask(32, 32));
    }
    {
        const Dib first = entryDib(8, 32, 32, 1), second = entryDib(4, 32, 32, 2);
        const auto file = still_fixtures::iconFile({
            bitmapEntry(first, 255, borderMask(32, 32)),
            bitmapEntry(second, 16, borderMask(32, 32)),
        });
        QTest::newRow("the first qualifying entry, colour count 255")
            << toByteArray(file) << 32 << 32 << expected(first, borderMask(32, 32));
    }
    {
        const Dib mono = entryDib(1, 32, 32, 1), last = entryDib(24, 16, 16, 2);
        const auto file = still_fixtures::iconFile({
            bitmapEntry(mono, 2, borderMask(32, 32)),
            bitmapEntry(last, 0, borderMask(16, 16)),
        });
        QTest::newRow("32 px with 2 colours does not qualify")
            << toByteArray(file) << 16 << 16 << expected(last, borderMask(16, 16));
    }
    {
        // The directory says 32 x 32 with 16 colours, which chooses the
        // entry; its own header says 20 x 10, which sizes the picture.
        const Dib dib = entryDib(4, 20, 10, 5);
        IconEntry entry = bitmapEntry(dib, 16, borderMask(20, 10));
        entry.width = 32;
        entry.height = 32;
        const Dib last = entryDib(8, 16, 16, 6);
        const auto file = still_fixtures::iconFile({entry, bitmapEntry(last, 0, borderMask(16, 16))});
        QTest::newRow("size from the entry's own header") << toByteArray(file) << 20 << 10 << expected(dib, borderMask(20, 10));
    }
    {
        // Images stored in the opposite order of their entries.
        const Dib first = entryDib(8, 16, 16, 1), second = entryDib(24, 16, 16, 2);
        IconEntry a = bitmapEntry(first, 0, borderMask(16, 16));
        IconEntry b = bitmapEntry(second, 0, borderMask(16, 16));
        a.offsetField = 6 + 32 + std::uint32_t(b.image.size());
        b.offsetField = 6 + 32;
        still_fixtures::Bytes file = still_fixtures::iconFile({a, b});
        // iconFile wrote a's image first; put b's first to match the offsets.
        file.resize(6 + 32);
        file.insert(file.end(), b.image.begin(), b.image.end());
        file.insert(file.end(), a.image.begin(), a.image.end());
        QTest::newRow("images in reverse order") << toByteArray(file) << 16 << 16 << expected(second, borderMask(16, 16));
    }
    // One entry of every depth, odd sizes so that packing and padding show.
    for (int bits : {1, 4, 8, 24, 32}) {
        for (const auto &[width, height] : {std::pair{16, 16}, std::pair{13, 7}, std::pair{33, 2}, std::pair{1, 1}}) {
            const Dib dib = entryDib(bits, width, height, 1);
            QTest::newRow(qPrintable(QStringLiteral("%1 bits, %2x%3").arg(bits).arg(width).arg(height)))
                << toByteArray(oneEntryIcon(bits, width, height)) << width << height
                << expected(dib, borderMask(width, height));
        }
    }
    {
        const Dib dib = entryDib(8, 16, 16, 1);
        QTest::newRow("cursor") << toByteArray(oneEntryIcon(8, 16, 16, 2)) << 16 << 16 << expected(dib, borderMask(16, 16));
    }
    {
        // 32 bits whose alpha is all 0: written by a tool that knew no alpha;
        // shown opaque through its mask.
        Dib dib = entryDib(32, 8, 6, 2);
        for (std::uint32_t &pixel : dib.pixels)
            pixel &= 0xffffffu;
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 6))});
        QTest::newRow("32 bits, alpha all 0: the mask decides") << toByteArray(file) << 8 << 6 << expected(dib, borderMask(8, 6));
    }
    {
        // 32 bits with alpha and no mask at all: the alpha alone decides.
        const Dib dib = entryDib(32, 8, 6, 3);
        IconEntry entry;
        entry.width = 8;
        entry.height = 6;
        entry.bitCount = 32;
        entry.image = still_fixtures::iconBitmapImage(dib, std::nullopt);
        QTest::newRow("32 bits with alpha, no mask") << toByteArray(still_fixtures::iconFile({entry})) << 8 << 6
                                                     << expected(dib, borderMask(8, 6));
    }
    {
        // 32 bits with alpha and a mask that disagrees: the alpha wins.
        const Dib dib = entryDib(32, 8, 6, 3);
        std::vector<bool> allMasked(48, true);
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 0, allMasked)});
        QTest::newRow("32 bits with alpha, mask ignored") << toByteArray(file) << 8 << 6 << expected(dib, allMasked);
    }
    {
        const Dib dib = entryDib(8, 16, 16, 1);
        const std::vector<bool> none(256, false);
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 0, none)});
        QTest::newRow("empty mask: opaque") << toByteArray(file) << 16 << 16 << expected(dib, none);
    }
    {
        Dib dib = entryDib(4, 16, 16, 1);
        dib.headerSize = 108;
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 16, borderMask(16, 16))});
        QTest::newRow("108-byte header: the table follows it") << toByteArray(file) << 16 << 16
                                                               << expected(dib, borderMask(16, 16));
    }
    {
        Dib dib = entryDib(4, 16, 16, 1);
        dib.colorsUsed = 5;
        dib.palette.resize(5);
        for (std::uint32_t &index : dib.pixels)
            index %= 5;
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 16, borderMask(16, 16))});
        QTest::newRow("4 bits, 5 used colours") << toByteArray(file) << 16 << 16 << expected(dib, borderMask(16, 16));
    }
    {
        // An odd stored height: half of it, rounded down.
        Dib dib = entryDib(24, 4, 3, 1);
        dib.heightField = 7;
        const auto file = still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(4, 3))});
        QTest::newRow("odd stored height") << toByteArray(file) << 4 << 3 << expected(dib, borderMask(4, 3));
    }
}

void TestIconDecoder::decodes()
{
    verifyDecodes([](pictures::Bytes bytes) { return pictures::decodeIcon(bytes); });
}

void TestIconDecoder::rejects_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const still_fixtures::Bytes good = oneEntryIcon(8, 16, 16);
    {
        still_fixtures::Bytes bytes = good;
        bytes[4] = bytes[5] = 0;
        addRejects("count 0", bytes);
        bytes = good;
        bytes[0] = 1;
        addRejects("reserved not 0", bytes);
        bytes = good;
        bytes[2] = 3;
        addRejects("type 3", bytes);
    }
    {
        const Dib dib = entryDib(8, 16, 16, 1);
        addRejects("count past the end of the directory",
                   still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(16, 16))}, 1, 2));
        addRejects("count 65535", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(16, 16))}, 1, 65535));
        addRejects("directory only", still_fixtures::Bytes(good.begin(), good.begin() + 22));
        addRejects("directory cut short", still_fixtures::Bytes(good.begin(), good.begin() + 21));

        IconEntry entry = bitmapEntry(dib, 0, borderMask(16, 16));
        entry.offsetField = std::uint32_t(6 + 16 + entry.image.size());
        addRejects("offset at the end", still_fixtures::iconFile({entry}));
        entry.offsetField = 0xffffffffu;
        addRejects("offset 0xffffffff", still_fixtures::iconFile({entry}));
        entry = bitmapEntry(dib, 0, borderMask(16, 16));
        entry.sizeField = std::uint32_t(entry.image.size() + 1);
        addRejects("size one past the end", still_fixtures::iconFile({entry}));
        entry.sizeField = 0xffffffffu;
        addRejects("size 0xffffffff", still_fixtures::iconFile({entry}));
        entry.offsetField = 0xfffffff0u;
        entry.sizeField = 0x20;
        addRejects("offset + size wraps around 32 bits", still_fixtures::iconFile({entry}));
        entry = bitmapEntry(dib, 0, borderMask(16, 16));
        entry.sizeField = 0;
        addRejects("size 0", still_fixtures::iconFile({entry}));
    }
    for (int bits : {2, 16, 64}) {
        Dib dib = entryDib(24, 8, 8, 1);
        dib.bits = bits;
        addRejects(qPrintable(QStringLiteral("%1 bits").arg(bits)), still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
    }
    for (std::uint32_t compression : {1u, 2u, 3u}) {
        Dib dib = entryDib(compression == 2 ? 4 : 8, 8, 8, 1);
        dib.compression = compression;
        addRejects(qPrintable(QStringLiteral("compression %1").arg(compression)),
                   still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
    }
    {
        Dib dib = entryDib(8, 8, 8, 1);
        dib.planes = 2;
        addRejects("2 planes", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib = entryDib(8, 8, 8, 1);
        dib.heightField = -16;
        addRejects("negative height", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib.heightField = 1;
        addRejects("height 1, half is 0", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib = entryDib(8, 8, 8, 1);
        dib.widthField = -8;
        addRejects("negative width", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib.widthField = 100000;
        addRejects("width 100000", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib = entryDib(8, 8, 8, 1);
        dib.headerSize = 12;
        addRejects("12-byte header", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
        dib = entryDib(8, 8, 8, 1);
        IconEntry entry = bitmapEntry(dib, 0, borderMask(8, 8));
        entry.image[0] = 0xf0;
        entry.image[1] = entry.image[2] = entry.image[3] = 0xff;
        addRejects("header size past the entry", still_fixtures::iconFile({entry}));
        dib = entryDib(8, 8, 8, 1);
        dib.colorsUsed = 0x40000000u;
        addRejects("colour table past the entry", still_fixtures::iconFile({bitmapEntry(dib, 0, borderMask(8, 8))}));
    }
    {
        Dib dib = entryDib(4, 8, 8, 1);
        dib.colorsUsed = 3;
        dib.palette.resize(3);
        addRejects("index past the colour table", still_fixtures::iconFile({bitmapEntry(dib, 16, borderMask(8, 8))}));
    }
    {
        // Every entry kind needs its full mask but 32 bits with alpha.
        const Dib dib = entryDib(8, 16, 16, 1);
        IconEntry entry = bitmapEntry(dib, 0, borderMask(16, 16));
        entry.image.resize(entry.image.size() - 1);
        addRejects("8 bits, mask one byte short", still_fixtures::iconFile({entry}));
        entry.image = still_fixtures::iconBitmapImage(dib, std::nullopt);
        addRejects("8 bits, no mask", still_fixtures::iconFile({entry}));

        Dib noAlpha = entryDib(32, 8, 6, 2);
        for (std::uint32_t &pixel : noAlpha.pixels)
            pixel &= 0xffffffu;
        entry.image = still_fixtures::iconBitmapImage(noAlpha, std::nullopt);
        addRejects("32 bits, alpha all 0, no mask", still_fixtures::iconFile({entry}));
        entry.image = still_fixtures::iconBitmapImage(entryDib(32, 8, 6, 2), std::nullopt);
        entry.image.pop_back();
        addRejects("32 bits, colour rows one byte short", still_fixtures::iconFile({entry}));
    }
    {
        IconEntry entry;
        entry.image = still_fixtures::pngFile(4, 4, pngPixels(4, 4));
        entry.image.resize(entry.image.size() / 2);
        addRejects("PNG entry cut in half", still_fixtures::iconFile({entry}));
        entry.image = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        addRejects("PNG signature only", still_fixtures::iconFile({entry}));
    }
    addRejects("empty", {});
    addRejects("header only", {0, 0, 1, 0, 1, 0});
}

void TestIconDecoder::rejects()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!pictures::decodeIcon(span(bytes)));
    QVERIFY(!pictures::decodePicture(span(bytes)));
}

void TestIconDecoder::iconsAndCursorsAreMasked_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    QTest::newRow("icon") << toByteArray(oneEntryIcon(4, 16, 16, 1)) << int(pictures::PictureFormat::Icon);
    QTest::newRow("cursor") << toByteArray(oneEntryIcon(4, 16, 16, 2)) << int(pictures::PictureFormat::Cursor);
}

// Through the whole set-picture path: recognised, decoded with transparent
// pixels at alpha 0, and drawn masked over the box's background.
void TestIconDecoder::iconsAndCursorsAreMasked()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    const auto picture = pictures::decodePicture(span(bytes));
    QVERIFY(picture);
    QCOMPARE(int(picture->format), format);
    QCOMPARE(pictures::compositingOf(picture->format), pictures::Compositing::Masked);
    QCOMPARE(picture->image.width, 16);
    QCOMPARE(picture->image.pixel(0, 0) >> 24, 0u);
    QCOMPARE(picture->image.pixel(5, 0) >> 24, 0u);
    QCOMPARE(picture->image.pixel(5, 3) >> 24, 255u);
}

void TestIconDecoder::pngEntry()
{
    const std::vector<std::uint32_t> pixels = pngPixels(5, 4);
    IconEntry png;
    png.width = 5;
    png.height = 4;
    png.bitCount = 32;
    png.image = still_fixtures::pngFile(5, 4, pixels);
    QVERIFY(!png.image.empty());
    const Dib small = entryDib(8, 16, 16, 1);
    const QByteArray bytes = toByteArray(still_fixtures::iconFile({bitmapEntry(small, 0, borderMask(16, 16)), png}));

    const auto image = pictures::decodeIcon(span(bytes));
    QVERIFY2(image, "the PNG entry goes through decodePng");
    const QString difference = differences(*image, 5, 4, toList(pixels));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_GUILESS_MAIN(TestIconDecoder)
#include "test_icon_decoder.moc"

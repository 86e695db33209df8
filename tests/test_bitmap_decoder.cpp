// The bitmap decoder: every supported bit depth against pixels
// spelled out here, the kinds it refuses, and the BMP Suite in
// ../shared/corpus/bmpsuite with Qt's own reader as the reference.

#include "decoder_test_support.h"
#include "decoders.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QSet>
#include <QtTest>

using namespace decoder_test;
using still_fixtures::Dib;

namespace {

// 16 colours that differ in every channel, so a swapped channel shows.
const std::vector<std::uint32_t> kColours = {
    0x000000, 0xffffff, 0xff0000, 0x00ff00, 0x0000ff, 0x123456, 0x654321, 0xabcdef,
    0xfedcba, 0x102030, 0x405060, 0x708090, 0xa0b0c0, 0xd0e0f0, 0x0f1e2d, 0x3c4b5a,
};

std::vector<std::uint32_t> palette(std::size_t count)
{
    std::vector<std::uint32_t> colours;
    for (std::size_t i = 0; i < count; ++i)
        colours.push_back(i < kColours.size() ? kColours[i] : std::uint32_t(i * 0x010203u) & 0xffffffu);
    return colours;
}

// Indices 0..colours-1 in a pattern that differs on every row.
std::vector<std::uint32_t> indices(int width, int height, int colours)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(std::uint32_t((x * 3 + y * 5 + x * y) % colours));
    return pixels;
}

std::vector<std::uint32_t> trueColours(int width, int height, bool withFourthByte)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = (std::uint32_t(x * 37 + 1) & 0xff) << 16 | (std::uint32_t(y * 71 + 2) & 0xff) << 8
                | (std::uint32_t(x * y * 13 + 3) & 0xff);
            const std::uint32_t fourth = withFourthByte ? std::uint32_t((x + y) % 3) * 0x7f : 0;
            pixels.push_back(fourth << 24 | rgb);
        }
    return pixels;
}

Dib paletted(int bits, int width, int height, std::size_t tableSize)
{
    Dib dib;
    dib.bits = bits;
    dib.width = width;
    dib.height = height;
    dib.palette = palette(tableSize);
    dib.pixels = indices(width, height, int(tableSize));
    return dib;
}

Dib trueColour(int bits, int width, int height)
{
    Dib dib;
    dib.bits = bits;
    dib.width = width;
    dib.height = height;
    dib.pixels = trueColours(width, height, bits == 32);
    return dib;
}

// What the picture shows: table colours or the stored colour,
// opaque, top row first whatever the storage order.
QList<quint32> expected(const Dib &dib)
{
    QList<quint32> pixels;
    for (std::uint32_t value : dib.pixels)
        pixels.append(0xff000000u | (dib.bits <= 8 ? dib.palette[value] : value & 0xffffffu));
    return pixels;
}

void addDecodes(const char *name, const Dib &dib, std::uint32_t gap = 0)
{
    QTest::newRow(name) << toByteArray(still_fixtures::bitmapFile(dib, gap)) << dib.width << dib.height << expected(dib);
}

QString corpus(const QString &relative)
{
    return QStringLiteral(CORPUS_DIR "/bmpsuite/") + relative;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Files of the suite that we decode, each to what Qt's reader makes of it.
// The g/ ones are the suite's "must decode" list for BITMAPINFOHEADER,
// uncompressed, 1/4/8/24/32 bits; the q/ ones are the questionable files in
// that scope whose oddity we accept on purpose:
//   pal8offs         a gap between the table and the pixels: the data offset decides
//   pal8oversizepal  300 table entries at 8 bits: the extra ones are never indexed
//   pal1p1           a 1-entry table at 1 bit: every pixel is index 0, so none points past it
//   rgb24largepal    300 table entries at 24 bits: the table is skipped
//   pal8os2v2-40sz   a wrong file-size field: not read
//   rgb32fakealpha   a non-zero fourth byte at 32 bits: ignored, opaque
const QStringList kDecoded = {
    "g/pal1.bmp", "g/pal1bg.bmp", "g/pal1wb.bmp", "g/pal4.bmp", "g/pal4gs.bmp", "g/pal8.bmp",
    "g/pal8-0.bmp", "g/pal8gs.bmp", "g/pal8nonsquare.bmp", "g/pal8topdown.bmp", "g/pal8w124.bmp",
    "g/pal8w125.bmp", "g/pal8w126.bmp", "g/rgb24.bmp", "g/rgb24pal.bmp", "g/rgb32.bmp",
    "q/pal8offs.bmp", "q/pal8oversizepal.bmp", "q/rgb24largepal.bmp", "q/pal8os2v2-40sz.bmp",
    "q/rgb32fakealpha.bmp", "q/pal1p1.bmp",
};

// Where Qt's reader refuses a file that we decode, the file of the suite
// whose pixels it must have instead.
const QMap<QString, QString> kReferenceInstead = {
    {"q/pal8oversizepal.bmp", "g/pal8.bmp"},
};

// Files of b/ that we decode all the same, each identical to g/pal1.bmp
// but for one header field, and the rule that lets it through. Every other
// b/ file gives no picture.
const QMap<QString, QString> kBadButDecoded = {
    {"b/badwidth.bmp", "width and height are taken as absolute values (width -127)"},
    {"b/badfilesize.bmp", "the file-size field is not read (Windows does not read it either)"},
    {"b/badbitssize.bmp", "the image-size field is not read: rows are sized from width, height and depth"},
    {"b/baddens1.bmp", "the pixels-per-metre fields are not read"},
    {"b/baddens2.bmp", "the pixels-per-metre fields are not read"},
};

// Every q/ file outside kDecoded is of a kind we do not decode; q/ files need
// only not crash, but their outcomes are pinned so that a change of policy is
// noticed.

// Groups of files that decode to identical pixels (from the suite's README).
const QList<QStringList> kIdenticalGroups = {
    {"g/pal1.bmp", "g/pal1wb.bmp"},
    {"g/pal8.bmp", "g/pal8-0.bmp", "g/pal8topdown.bmp", "q/pal8offs.bmp", "q/pal8oversizepal.bmp"},
    {"g/rgb24.bmp", "g/rgb24pal.bmp", "g/rgb32.bmp", "q/rgb24largepal.bmp", "q/rgb32fakealpha.bmp"},
};

std::optional<pictures::Image> decodeFile(const QString &relative)
{
    return pictures::decodeBitmap(span(readFile(corpus(relative))));
}

} // namespace

class TestBitmapDecoder : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
    void decodePictureRecognisesBitmaps();

    void bmpsuiteIsThere();
    void bmpsuiteDecoded_data();
    void bmpsuiteDecoded();
    void bmpsuiteIdenticalGroups();
    void bmpsuiteEveryFile_data();
    void bmpsuiteEveryFile();
};

void TestBitmapDecoder::decodes_data()
{
    addDecodedColumns();

    // Widths that end inside a byte and inside a 4-byte row, so that packing
    // and padding both show.
    addDecodes("1 bit, 11x3, two colours", paletted(1, 11, 3, 2));
    addDecodes("1 bit, 33x2, past a 4-byte row", paletted(1, 33, 2, 2));
    addDecodes("4 bits, 5x3, 16 colours", paletted(4, 5, 3, 16));
    addDecodes("4 bits, 6x2, 3 used colours", paletted(4, 6, 2, 3));
    addDecodes("8 bits, 5x3, 256 colours", paletted(8, 5, 3, 256));
    addDecodes("8 bits, 7x2, 5 used colours", paletted(8, 7, 2, 5));
    addDecodes("24 bits, 5x3", trueColour(24, 5, 3));
    addDecodes("24 bits, 4x4, no padding", trueColour(24, 4, 4));
    addDecodes("32 bits, 5x3, fourth byte ignored", trueColour(32, 5, 3));
    addDecodes("1x1, 1 bit", paletted(1, 1, 1, 2));
    addDecodes("1x1, 4 bits", paletted(4, 1, 1, 16));
    addDecodes("1x1, 8 bits", paletted(8, 1, 1, 2));
    addDecodes("1x1, 24 bits", trueColour(24, 1, 1));
    addDecodes("1x1, 32 bits", trueColour(32, 1, 1));
    {
        Dib dib = paletted(1, 9, 2, 2);
        dib.colorsUsed = 0;
        addDecodes("1 bit, used colours 0 means 2", dib);
    }
    {
        Dib dib = paletted(4, 5, 2, 16);
        dib.colorsUsed = 0;
        addDecodes("4 bits, used colours 0 means 16", dib);
    }
    // Top-down bitmaps are shown upright: the same picture as bottom-up.
    for (int bits : {1, 4, 8, 24, 32}) {
        Dib dib = bits <= 8 ? paletted(bits, 7, 3, bits == 1 ? 2 : 16) : trueColour(bits, 7, 3);
        dib.topDown = true;
        QTest::newRow(qPrintable(QStringLiteral("top-down, %1 bits, upright").arg(bits)))
            << toByteArray(still_fixtures::bitmapFile(dib)) << dib.width << dib.height << expected(dib);
    }
    {
        Dib dib = trueColour(24, 5, 3);
        dib.widthField = -5;
        addDecodes("negative width, taken as absolute", dib);
    }
    addDecodes("gap between table and pixels", paletted(8, 5, 3, 4), 37);
    {
        Dib dib = paletted(8, 5, 3, 300);
        addDecodes("8 bits, table of 300 entries", dib);
    }
    {
        Dib dib = trueColour(24, 5, 3);
        dib.palette = palette(4);
        addDecodes("24 bits with a table, skipped", dib);
    }
    {
        Dib dib = trueColour(24, 5, 3);
        dib.colorsUsed = 0xffffffffu;
        addDecodes("24 bits, used colours 0xffffffff: no table to check", dib);
        dib = trueColour(32, 5, 3);
        dib.colorsUsed = 300;
        addDecodes("32 bits, 300 used colours and no table", dib);
    }
    {
        Dib dib = paletted(8, 3, 2, 4);
        still_fixtures::Bytes bytes = still_fixtures::bitmapFile(dib);
        bytes.insert(bytes.end(), 100, 0xee);
        QTest::newRow("bytes after the pixels") << toByteArray(bytes) << 3 << 2 << expected(dib);
    }
    {
        Dib dib = trueColour(24, 3, 2);
        still_fixtures::Bytes bytes = still_fixtures::bitmapFile(dib);
        bytes[2] = bytes[3] = bytes[4] = bytes[5] = 0xff; // file size
        bytes[34] = bytes[35] = bytes[36] = bytes[37] = 0x7f; // image size
        bytes[38] = bytes[42] = 0x80; // densities
        QTest::newRow("unread fields with wild values") << toByteArray(bytes) << 3 << 2 << expected(dib);
    }
}

void TestBitmapDecoder::decodes()
{
    verifyDecodes([](pictures::Bytes bytes) { return pictures::decodeBitmap(bytes); });
}

void TestBitmapDecoder::rejects_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // The kinds that are not shown.
    {
        Dib dib = paletted(8, 4, 2, 4);
        dib.compression = 1;
        addRejects("RLE8", still_fixtures::bitmapFile(dib));
        dib = paletted(4, 4, 2, 4);
        dib.compression = 2;
        addRejects("RLE4", still_fixtures::bitmapFile(dib));
    }
    {
        Dib dib = trueColour(16, 4, 2);
        addRejects("16 bits, uncompressed", still_fixtures::bitmapFile(dib));
        dib.compression = 3;
        addRejects("16 bits, bit fields", still_fixtures::bitmapFile(dib));
        dib = trueColour(32, 4, 2);
        dib.compression = 3;
        dib.palette = {0xff0000, 0x00ff00, 0x0000ff}; // the three masks where the table would be
        addRejects("32 bits, bit fields", still_fixtures::bitmapFile(dib));
        dib.compression = 6;
        addRejects("32 bits, alpha bit fields", still_fixtures::bitmapFile(dib));
    }
    {
        Dib dib = trueColour(24, 4, 2);
        dib.compression = 4;
        addRejects("embedded JPEG", still_fixtures::bitmapFile(dib));
        dib.compression = 5;
        addRejects("embedded PNG", still_fixtures::bitmapFile(dib));
    }
    addRejects("2 bits", still_fixtures::bitmapFile(paletted(2, 4, 2, 4)));
    {
        Dib dib = paletted(8, 4, 2, 4);
        dib.bits = 64;
        dib.palette.clear();
        dib.pixels.assign(8, 0);
        addRejects("64 bits", still_fixtures::bitmapFile(dib));
        dib.bits = 0;
        addRejects("0 bits", still_fixtures::bitmapFile(dib));
    }
    for (std::uint32_t headerSize : {12u, 16u, 64u, 108u, 124u}) {
        Dib dib = paletted(8, 4, 2, 4);
        dib.headerSize = headerSize;
        addRejects(qPrintable(QStringLiteral("%1-byte information header").arg(headerSize)), still_fixtures::bitmapFile(dib));
    }
    for (std::uint16_t planes : {0, 2}) {
        Dib dib = trueColour(24, 4, 2);
        dib.planes = planes;
        addRejects(qPrintable(QStringLiteral("%1 planes").arg(planes)), still_fixtures::bitmapFile(dib));
    }
    {
        Dib dib = trueColour(24, 0, 3);
        addRejects("width 0", still_fixtures::bitmapFile(dib));
        dib = trueColour(24, 3, 0);
        addRejects("height 0", still_fixtures::bitmapFile(dib));
    }
    // Pixels that name an entry past the stored table.
    {
        Dib dib = paletted(8, 4, 2, 4);
        dib.pixels[5] = 4;
        addRejects("8 bits, index past a 4-entry table", still_fixtures::bitmapFile(dib));
        dib = paletted(4, 5, 2, 3);
        dib.pixels[9] = 15;
        addRejects("4 bits, index past a 3-entry table", still_fixtures::bitmapFile(dib));
        dib = paletted(1, 9, 1, 2);
        dib.palette.resize(1);
        dib.pixels.assign(9, 0);
        dib.pixels[8] = 1;
        addRejects("1 bit, index past a 1-entry table", still_fixtures::bitmapFile(dib));
    }
    {
        // The data offset points into the colour table.
        still_fixtures::Bytes bytes = still_fixtures::bitmapFile(paletted(8, 4, 2, 4));
        bytes[10] = 54 + 12;
        addRejects("data offset inside the colour table", bytes);
        bytes = still_fixtures::bitmapFile(trueColour(24, 4, 2));
        bytes[10] = 53;
        addRejects("data offset inside the header", bytes);
    }
    {
        still_fixtures::Bytes bytes = still_fixtures::bitmapFile(trueColour(24, 5, 3));
        bytes.pop_back();
        addRejects("last row one byte short", bytes);
        bytes = still_fixtures::bitmapFile(paletted(1, 8, 4, 2));
        bytes.resize(bytes.size() - 4);
        addRejects("last row missing", bytes);
    }
    addRejects("no BM", {'B', 'A', 0, 0, 0, 0, 0, 0});
    addRejects("empty", {});
}

void TestBitmapDecoder::rejects()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!pictures::decodeBitmap(span(bytes)));
}

void TestBitmapDecoder::decodePictureRecognisesBitmaps()
{
    const Dib dib = paletted(4, 5, 3, 16);
    const QByteArray bytes = toByteArray(still_fixtures::bitmapFile(dib));
    const auto picture = pictures::decodePicture(span(bytes));
    QVERIFY(picture);
    QCOMPARE(picture->format, pictures::PictureFormat::Bitmap);
    QCOMPARE(pictures::compositingOf(picture->format), pictures::Compositing::Opaque);
    const QString difference = differences(picture->image, dib.width, dib.height, expected(dib));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestBitmapDecoder::bmpsuiteIsThere()
{
    QVERIFY2(QDir(corpus("g")).exists(), qPrintable(corpus("g") + " is missing"));
    QVERIFY(QDir(corpus("g")).entryList(QDir::Files).size() >= 20);
    QVERIFY(QDir(corpus("b")).entryList(QDir::Files).size() >= 15);
    QVERIFY(QDir(corpus("q")).entryList(QDir::Files).size() >= 30);
}

void TestBitmapDecoder::bmpsuiteDecoded_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &file : kDecoded)
        QTest::newRow(qPrintable(file)) << file;
}

// Each file we decode gives exactly the pixels of Qt's reader, reading the
// same file (or, where Qt refuses it, the file it must equal).
void TestBitmapDecoder::bmpsuiteDecoded()
{
    QFETCH(QString, file);
    const QByteArray bytes = readFile(corpus(file));
    QVERIFY(!bytes.isEmpty());
    const auto image = pictures::decodeBitmap(span(bytes));
    QVERIFY(image);

    QImageReader reader(corpus(kReferenceInstead.value(file, file)), "bmp");
    const QImage reference = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!reference.isNull(), qPrintable(reader.errorString()));
    QList<quint32> pixels;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x)
            pixels.append(reference.pixel(x, y));
    const QString difference = differences(*image, reference.width(), reference.height(), pixels);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestBitmapDecoder::bmpsuiteIdenticalGroups()
{
    for (const QStringList &group : kIdenticalGroups) {
        const auto first = decodeFile(group.first());
        QVERIFY2(first, qPrintable(group.first()));
        for (const QString &file : group.mid(1)) {
            const auto other = decodeFile(file);
            QVERIFY2(other, qPrintable(file));
            const QString difference = differences(*other, first->width, first->height, toList(first->pixels));
            QVERIFY2(difference.isEmpty(), qPrintable(file + ": " + difference));
        }
    }
}

void TestBitmapDecoder::bmpsuiteEveryFile_data()
{
    QTest::addColumn<QString>("file");
    for (const QString folder : {"g", "q", "b"}) {
        const QStringList names = QDir(corpus(folder)).entryList({"*.bmp"}, QDir::Files, QDir::Name);
        for (const QString &name : names)
            QTest::newRow(qPrintable(folder + "/" + name)) << folder + "/" + name;
    }
}

// Every file of the suite, whatever it holds: no crash, and the outcome its
// folder and our tables call for.
void TestBitmapDecoder::bmpsuiteEveryFile()
{
    QFETCH(QString, file);
    const QByteArray bytes = readFile(corpus(file));
    QVERIFY(!bytes.isEmpty());
    const auto image = pictures::decodeBitmap(span(bytes));
    const auto picture = pictures::decodePicture(span(bytes));
    QCOMPARE(bool(picture), bool(image));

    if (kDecoded.contains(file)) {
        QVERIFY(image);
    } else if (kBadButDecoded.contains(file)) {
        QVERIFY2(image, qPrintable(kBadButDecoded.value(file)));
        const auto pal1 = decodeFile("g/pal1.bmp");
        QVERIFY(pal1);
        const QString difference = differences(*image, pal1->width, pal1->height, toList(pal1->pixels));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    } else {
        // Unsupported kinds of g/ and q/, and every other b/ file.
        QVERIFY2(!image, "an unsupported kind or a bad file gave a picture");
    }
}

QTEST_GUILESS_MAIN(TestBitmapDecoder)
#include "test_bitmap_decoder.moc"

// The PCX decoder: 256-colour and two-colour pictures against
// pixels spelled out here, and the files it refuses, three planes among them.

#include "decoder_test_support.h"
#include "decoders.h"

#include <QtTest>

using namespace decoder_test;
using still_fixtures::Pcx;

namespace {

// 256 colours without the byte 0C anywhere, so that a file cut short never
// finds a marker by chance.
std::vector<std::uint32_t> palette256()
{
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t colour = (i * 0x9e3779b1u) & 0xffffffu;
        for (int shift = 0; shift < 24; shift += 8)
            if (((colour >> shift) & 0xff) == 0x0c)
                colour ^= 0x01u << shift;
        colours.push_back(colour);
    }
    return colours;
}

// Scan lines of bytesPerLine bytes; the pixels past the width are padding
// that must not show, so it gets a value of its own. Values from 0xbd to 0xc3
// and runs of every length up to 70 appear.
std::vector<still_fixtures::Bytes> lines8(int width, int height, int bytesPerLine)
{
    std::vector<still_fixtures::Bytes> lines;
    for (int y = 0; y < height; ++y) {
        still_fixtures::Bytes line;
        for (int x = 0; x < bytesPerLine; ++x) {
            if (x >= width)
                line.push_back(0xee);
            else if (y == 1)
                line.push_back(std::uint8_t(0xbd + x % 7));
            else if (y == 2)
                line.push_back(x < 70 ? 0xc7 : 0x05);
            else
                line.push_back(std::uint8_t((x * 7 + y * 31) % 200));
        }
        lines.push_back(line);
    }
    return lines;
}

Pcx pcx256(int width, int height, int bytesPerLine)
{
    Pcx pcx;
    pcx.version = 5;
    pcx.bitsPerPixel = 8;
    pcx.xMax = std::uint16_t(width - 1);
    pcx.yMax = std::uint16_t(height - 1);
    pcx.bytesPerLine = std::uint16_t(bytesPerLine);
    pcx.lines = lines8(width, height, bytesPerLine);
    pcx.palette = palette256();
    return pcx;
}

Pcx pcx2(int width, int height, int bytesPerLine)
{
    Pcx pcx;
    pcx.version = 3;
    pcx.bitsPerPixel = 1;
    pcx.xMax = std::uint16_t(width - 1);
    pcx.yMax = std::uint16_t(height - 1);
    pcx.bytesPerLine = std::uint16_t(bytesPerLine);
    for (int y = 0; y < height; ++y) {
        still_fixtures::Bytes line;
        for (int i = 0; i < bytesPerLine; ++i)
            line.push_back(std::uint8_t(0x5a ^ (y * 0x31) ^ (i * 0x17)));
        pcx.lines.push_back(line);
    }
    return pcx;
}

QList<quint32> expected(const Pcx &pcx)
{
    const int width = pcx.xMax - pcx.xMin + 1;
    const int height = pcx.yMax - pcx.yMin + 1;
    QList<quint32> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t *line = pcx.lines[std::size_t(y)].data();
            if (pcx.bitsPerPixel == 8)
                pixels.append(0xff000000u | pcx.palette[line[x]]);
            else
                pixels.append((line[x / 8] >> (7 - x % 8)) & 1 ? 0xffffffffu : 0xff000000u);
        }
    return pixels;
}

void addDecodes(const char *name, const Pcx &pcx)
{
    QTest::newRow(name) << toByteArray(still_fixtures::pcxFile(pcx)) << pcx.xMax - pcx.xMin + 1 << pcx.yMax - pcx.yMin + 1
                        << expected(pcx);
}

} // namespace

class TestPcxDecoder : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
    void decodePictureRecognisesBoth();
};

void TestPcxDecoder::decodes_data()
{
    addDecodedColumns();

    addDecodes("256 colours, 5x3", pcx256(5, 3, 6));
    addDecodes("256 colours, 80x4, long runs", pcx256(80, 4, 80));
    addDecodes("256 colours, padding bytes past the width", pcx256(7, 3, 12));
    addDecodes("256 colours, 1x1", pcx256(1, 1, 2));
    {
        Pcx pcx = pcx256(6, 3, 6);
        pcx.xMin = 10;
        pcx.xMax = 15;
        pcx.yMin = 300;
        pcx.yMax = 302;
        addDecodes("256 colours, window not at 0, 0", pcx);
    }
    {
        Pcx pcx = pcx256(9, 4, 10);
        pcx.runsAcrossLines = true;
        for (still_fixtures::Bytes &line : pcx.lines)
            std::fill(line.begin(), line.end(), 0x21);
        addDecodes("256 colours, a run across scan lines", pcx);
    }
    {
        Pcx pcx = pcx256(5, 3, 6);
        pcx.version = 0;
        addDecodes("256 colours, version 0", pcx);
    }
    addDecodes("2 colours, 16x3", pcx2(16, 3, 2));
    addDecodes("2 colours, 11x3", pcx2(11, 3, 2));
    addDecodes("2 colours, 13x2, padded lines", pcx2(13, 2, 4));
    addDecodes("2 colours, 1x1", pcx2(1, 1, 2));
    {
        Pcx pcx = pcx2(64, 5, 8);
        pcx.runsAcrossLines = true;
        for (still_fixtures::Bytes &line : pcx.lines)
            std::fill(line.begin(), line.end(), 0xf0);
        addDecodes("2 colours, a run across scan lines", pcx);
    }
    {
        // Bytes after the image data of a two-colour picture are not read.
        Pcx pcx = pcx2(8, 2, 2);
        still_fixtures::Bytes bytes = still_fixtures::pcxFile(pcx);
        bytes.insert(bytes.end(), 50, 0x0c);
        QTest::newRow("2 colours, bytes after the data") << toByteArray(bytes) << 8 << 2 << expected(pcx);
    }
}

void TestPcxDecoder::decodes()
{
    verifyDecodes([](pictures::Bytes bytes) { return pictures::decodePcx(bytes); });
}

void TestPcxDecoder::rejects_data()
{
    QTest::addColumn<QByteArray>("bytes");

    {
        // A 24-bit PCX: three planes of 8 bits, red, green and blue lines.
        Pcx pcx = pcx256(5, 3, 6);
        pcx.planes = 3;
        std::vector<still_fixtures::Bytes> lines;
        for (const still_fixtures::Bytes &line : pcx.lines) {
            still_fixtures::Bytes three = line;
            three.insert(three.end(), line.begin(), line.end());
            three.insert(three.end(), line.begin(), line.end());
            lines.push_back(three);
        }
        pcx.lines = lines;
        pcx.palette.clear();
        addRejects("three planes of 8 bits", still_fixtures::pcxFile(pcx));
        pcx.palette = palette256();
        addRejects("three planes of 8 bits with a palette", still_fixtures::pcxFile(pcx));
    }
    {
        Pcx pcx = pcx2(16, 3, 2);
        pcx.planes = 4;
        addRejects("four planes of 1 bit", still_fixtures::pcxFile(pcx));
        pcx.planes = 0;
        addRejects("no plane", still_fixtures::pcxFile(pcx));
    }
    for (std::uint8_t bits : {2, 4, 24}) {
        Pcx pcx = pcx2(16, 3, 4);
        pcx.bitsPerPixel = bits;
        addRejects(qPrintable(QStringLiteral("%1 bits per pixel").arg(bits)), still_fixtures::pcxFile(pcx));
    }
    {
        Pcx pcx = pcx256(5, 3, 6);
        pcx.marker = 0x0b;
        addRejects("256 colours, no 0C marker", still_fixtures::pcxFile(pcx));
        still_fixtures::Bytes bytes = still_fixtures::pcxFile(pcx256(5, 3, 6));
        bytes.pop_back();
        addRejects("256 colours, palette one byte short", bytes);
        pcx = pcx256(5, 3, 6);
        pcx.palette.clear();
        addRejects("256 colours, no palette", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.lines.pop_back();
        addRejects("256 colours, last line missing", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.bytesPerLine = 4;
        for (still_fixtures::Bytes &line : pcx.lines)
            line.resize(4);
        addRejects("bytes per line shorter than the width", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.xMin = 5;
        pcx.xMax = 4;
        addRejects("xMax before xMin", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.yMin = 3;
        pcx.yMax = 0;
        addRejects("yMax before yMin", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.xMax = 65535;
        pcx.bytesPerLine = 65535;
        addRejects("65536 wide, past the side cap", still_fixtures::pcxFile(pcx));
        pcx = pcx256(5, 3, 6);
        pcx.xMax = 8191;
        pcx.yMax = 8191;
        pcx.bytesPerLine = 8192;
        addRejects("8192 x 8192, within the caps, from a few bytes", still_fixtures::pcxFile(pcx));
    }
    {
        Pcx pcx = pcx2(16, 3, 2);
        pcx.lines.back().pop_back();
        addRejects("2 colours, last line one byte short", still_fixtures::pcxFile(pcx));
        still_fixtures::Bytes bytes = still_fixtures::pcxFile(pcx2(16, 3, 2));
        bytes[2] = 0;
        addRejects("encoding 0", bytes);
        bytes = still_fixtures::pcxFile(pcx2(16, 3, 2));
        bytes[0] = 0x0b;
        addRejects("manufacturer 0B", bytes);
        bytes = still_fixtures::pcxFile(pcx2(16, 3, 2));
        bytes.resize(128);
        addRejects("header only", bytes);
    }
    addRejects("empty", {});
}

void TestPcxDecoder::rejects()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!pictures::decodePcx(span(bytes)));
    QVERIFY(!pictures::decodePicture(span(bytes)));
}

void TestPcxDecoder::decodePictureRecognisesBoth()
{
    const Pcx colours = pcx256(5, 3, 6);
    const QByteArray bytes256 = toByteArray(still_fixtures::pcxFile(colours));
    auto picture = pictures::decodePicture(span(bytes256));
    QVERIFY(picture);
    QCOMPARE(picture->format, pictures::PictureFormat::Pcx256);
    QCOMPARE(pictures::compositingOf(picture->format), pictures::Compositing::Opaque);
    QVERIFY(differences(picture->image, 5, 3, expected(colours)).isEmpty());

    const Pcx mono = pcx2(11, 3, 2);
    const QByteArray bytes2 = toByteArray(still_fixtures::pcxFile(mono));
    picture = pictures::decodePicture(span(bytes2));
    QVERIFY(picture);
    QCOMPARE(picture->format, pictures::PictureFormat::Pcx2);
    QVERIFY(differences(picture->image, 11, 3, expected(mono)).isEmpty());
}

QTEST_GUILESS_MAIN(TestPcxDecoder)
#include "test_pcx_decoder.moc"

#include "picture.h"

#include "picture_fixtures.h"

#include <QTest>

#include <png.h>

#include <cstdio>
#include <unistd.h>

using pictures::PictureFormat;

Q_DECLARE_METATYPE(fixtures::JpegKind)

namespace {

pictures::Bytes bytesOf(const QByteArray &array)
{
    return {reinterpret_cast<const std::uint8_t *>(array.constData()), std::size_t(array.size())};
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

int channelOf(std::uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xff);
}

// Catches anything written to the process's standard error while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        m_file = std::tmpfile();
        dup2(fileno(m_file), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }

    QByteArray text()
    {
        restore();
        std::rewind(m_file);
        QByteArray result;
        char buffer[256];
        while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, m_file))
            result.append(buffer, qsizetype(count));
        return result;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    int m_saved = -1;
    std::FILE *m_file = nullptr;
};

// A PNG test pattern: every sample differs from its neighbours, and at bit
// depths below 8 runs through all values of the depth.
int patternSample(int x, int y, int channel)
{
    return (x * 37 + y * 91 + channel * 53 + 11) & 0xff;
}

constexpr int kPngWidth = 9;
constexpr int kPngHeight = 6;

struct PngCase {
    fixtures::PngFixture fixture;
    std::vector<std::uint32_t> expected;
};

PngCase pngCase(int colorType, int bitDepth, bool interlaced, bool paletteAlpha)
{
    PngCase result;
    fixtures::PngFixture &fixture = result.fixture;
    fixture.width = kPngWidth;
    fixture.height = kPngHeight;
    fixture.colorType = colorType;
    fixture.bitDepth = bitDepth;
    fixture.interlaced = interlaced;
    const int maximum = bitDepth >= 8 ? 255 : (1 << bitDepth) - 1;
    const int paletteSize = std::min(256, 1 << bitDepth);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < paletteSize; ++i) {
            fixture.palette.insert(fixture.palette.end(), {std::uint8_t(i * 7 + 3), std::uint8_t(255 - i * 5),
                                                     std::uint8_t(i * 13)});
            if (paletteAlpha)
                fixture.paletteAlpha.push_back(std::uint8_t(i * 61 + 1));
        }
    }
    const int channels = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE ? 1
        : colorType == PNG_COLOR_TYPE_GRAY_ALPHA                                                ? 2
        : colorType == PNG_COLOR_TYPE_RGB                                                       ? 3
                                                                                                : 4;
    for (int y = 0; y < kPngHeight; ++y) {
        for (int x = 0; x < kPngWidth; ++x) {
            int values[4] = {0, 0, 0, 255};
            for (int c = 0; c < channels; ++c) {
                const int raw = patternSample(x, y, c) & maximum;
                fixture.samples.push_back(std::uint16_t(bitDepth == 16 ? raw * 257 : raw));
                values[c] = colorType == PNG_COLOR_TYPE_PALETTE ? raw % paletteSize : raw * 255 / maximum;
            }
            int r = values[0], g = values[0], b = values[0], a = 255;
            switch (colorType) {
            case PNG_COLOR_TYPE_GRAY_ALPHA:
                a = values[1];
                break;
            case PNG_COLOR_TYPE_RGB:
                g = values[1];
                b = values[2];
                break;
            case PNG_COLOR_TYPE_RGB_ALPHA:
                g = values[1];
                b = values[2];
                a = values[3];
                break;
            case PNG_COLOR_TYPE_PALETTE: {
                const auto index = std::size_t(values[0]);
                r = fixture.palette[3 * index];
                g = fixture.palette[3 * index + 1];
                b = fixture.palette[3 * index + 2];
                a = paletteAlpha ? fixture.paletteAlpha[index] : 255;
                break;
            }
            }
            result.expected.push_back(std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8
                                      | std::uint32_t(b));
        }
    }
    return result;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void recognizesFormatByFirstBytes_data();
    void recognizesFormatByFirstBytes();
    void decodesPng_data();
    void decodesPng();
    void decodesJpeg_data();
    void decodesJpeg();
    void showsTheTopOfATruncatedJpeg();
    void rejectsBadBytes_data();
    void rejectsBadBytes();
};

void TestPictures::recognizesFormatByFirstBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format"); // -1: none

    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("png signature, 7 bytes") << hex("89504e470d0a1a") << -1;
    QTest::newRow("bitmap") << hex("424d000000000000") << int(PictureFormat::Bitmap);
    QTest::newRow("jpeg") << hex("ffd8ffe000104a46") << int(PictureFormat::Jpeg);
    QTest::newRow("png") << hex("89504e470d0a1a0a") << int(PictureFormat::Png);
    QTest::newRow("png, first 4 bytes only") << hex("89504e4700000000") << int(PictureFormat::Png);
    QTest::newRow("icon, 1 image") << hex("0000010001002020") << int(PictureFormat::Icon);
    QTest::newRow("icon, 256 images") << hex("0000010000012020") << int(PictureFormat::Icon);
    QTest::newRow("icon, 0 images") << hex("0000010000002020") << -1;
    QTest::newRow("cursor, 2 images") << hex("0000020002002020") << int(PictureFormat::Cursor);
    QTest::newRow("cursor, 0 images") << hex("0000020000002020") << -1;
    QTest::newRow("gif87a") << QByteArray("GIF87a\x01\x00", 8) << int(PictureFormat::Gif);
    QTest::newRow("gif89a") << QByteArray("GIF89a\x01\x00", 8) << int(PictureFormat::Gif);
    QTest::newRow("gif88a") << QByteArray("GIF88a\x01\x00", 8) << -1;
    QTest::newRow("pcx 256 colours, version 5") << hex("0a05010800000000") << int(PictureFormat::Pcx256);
    QTest::newRow("pcx 256 colours, version 0") << hex("0a00010800000000") << int(PictureFormat::Pcx256);
    QTest::newRow("pcx 256 colours, version 6") << hex("0a06010800000000") << -1;
    QTest::newRow("pcx 256 colours, not run-length") << hex("0a05000800000000") << -1;
    QTest::newRow("pcx 2 colours, version 3") << hex("0a03010100000000") << int(PictureFormat::Pcx2);
    QTest::newRow("pcx 2 colours, version 5") << hex("0a05010100000000") << -1;
    QTest::newRow("pcx 4 bits per pixel") << hex("0a05010400000000") << -1;
    QTest::newRow("text") << QByteArray("hello, world\n") << -1;
}

void TestPictures::recognizesFormatByFirstBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    const auto recognized = pictures::recognizeFormat(bytesOf(bytes));
    QCOMPARE(recognized ? int(*recognized) : -1, format);
}

void TestPictures::decodesPng_data()
{
    QTest::addColumn<int>("colorType");
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<bool>("interlaced");
    QTest::addColumn<bool>("paletteAlpha");

    for (const int depth : {1, 2, 4, 8, 16})
        QTest::addRow("grey %d-bit", depth) << PNG_COLOR_TYPE_GRAY << depth << false << false;
    for (const int depth : {8, 16}) {
        QTest::addRow("grey with alpha %d-bit", depth) << PNG_COLOR_TYPE_GRAY_ALPHA << depth << false << false;
        QTest::addRow("rgb %d-bit", depth) << PNG_COLOR_TYPE_RGB << depth << false << false;
        QTest::addRow("rgba %d-bit", depth) << PNG_COLOR_TYPE_RGB_ALPHA << depth << false << false;
    }
    for (const int depth : {1, 2, 4, 8})
        QTest::addRow("palette %d-bit", depth) << PNG_COLOR_TYPE_PALETTE << depth << false << false;
    QTest::newRow("palette with transparency") << PNG_COLOR_TYPE_PALETTE << 8 << false << true;
    QTest::newRow("palette 2-bit with transparency") << PNG_COLOR_TYPE_PALETTE << 2 << false << true;
    QTest::newRow("interlaced rgb") << PNG_COLOR_TYPE_RGB << 8 << true << false;
    QTest::newRow("interlaced grey 1-bit") << PNG_COLOR_TYPE_GRAY << 1 << true << false;
    QTest::newRow("interlaced rgba 16-bit") << PNG_COLOR_TYPE_RGB_ALPHA << 16 << true << false;
}

void TestPictures::decodesPng()
{
    QFETCH(int, colorType);
    QFETCH(int, bitDepth);
    QFETCH(bool, interlaced);
    QFETCH(bool, paletteAlpha);

    const PngCase sample = pngCase(colorType, bitDepth, interlaced, paletteAlpha);
    const auto decoded = pictures::decodePicture(bytesOf(fixtures::encodePng(sample.fixture)));
    QVERIFY(decoded);
    QCOMPARE(decoded->format, PictureFormat::Png);
    QCOMPARE(decoded->image.width, kPngWidth);
    QCOMPARE(decoded->image.height, kPngHeight);
    for (int i = 0; i < kPngWidth * kPngHeight; ++i) {
        const std::uint32_t actual = decoded->image.pixels[std::size_t(i)];
        const std::uint32_t expected = sample.expected[std::size_t(i)];
        // 16-bit samples reach 8 bits through libpng's rounding.
        const int tolerance = bitDepth == 16 ? 1 : 0;
        int difference = 0;
        for (const int shift : {0, 8, 16, 24})
            difference = std::max(difference, std::abs(channelOf(actual, shift) - channelOf(expected, shift)));
        if (difference > tolerance)
            QFAIL(qPrintable(QString("pixel (%1, %2): %3, expected %4")
                                 .arg(i % kPngWidth)
                                 .arg(i / kPngWidth)
                                 .arg(actual, 8, 16, QChar('0'))
                                 .arg(expected, 8, 16, QChar('0'))));
    }
}

void TestPictures::decodesJpeg_data()
{
    QTest::addColumn<fixtures::JpegKind>("kind");
    QTest::addColumn<QColor>("left");
    QTest::addColumn<QColor>("right");
    QTest::addColumn<int>("black"); // stored K of CMYK samples, 255 = no black ink

    // The fixture's left half has the first colour, its right half the second.
    QTest::newRow("grey") << fixtures::JpegKind::Grey << QColor(40, 40, 40) << QColor(200, 200, 200) << 255;
    QTest::newRow("colour") << fixtures::JpegKind::Colour << QColor(255, 0, 0) << QColor(0, 0, 255) << 255;
    QTest::newRow("progressive") << fixtures::JpegKind::Progressive << QColor(0, 160, 0) << QColor(250, 250, 0)
                                 << 255;
    QTest::newRow("cmyk, inverted") << fixtures::JpegKind::Cmyk << QColor(255, 0, 0) << QColor(0, 128, 255) << 255;
    QTest::newRow("cmyk with black ink") << fixtures::JpegKind::Cmyk << QColor(255, 0, 0) << QColor(0, 128, 255)
                                         << 128;
    QTest::newRow("ycck, inverted") << fixtures::JpegKind::Ycck << QColor(255, 0, 0) << QColor(0, 128, 255) << 255;
}

void TestPictures::decodesJpeg()
{
    QFETCH(fixtures::JpegKind, kind);
    QFETCH(QColor, left);
    QFETCH(QColor, right);
    QFETCH(int, black);

    constexpr int kWidth = 32;
    constexpr int kHeight = 24;
    const auto sample = [&](int x, int, int component) -> std::uint8_t {
        const QColor &colour = x < kWidth / 2 ? left : right;
        const int rgb[3] = {colour.red(), colour.green(), colour.blue()};
        if (kind == fixtures::JpegKind::Cmyk || kind == fixtures::JpegKind::Ycck) {
            // Inverted CMYK: the stored C, M and Y are the red, green and blue
            // the ink leaves, which the black then darkens.
            return std::uint8_t(component < 3 ? rgb[component] : black);
        }
        return std::uint8_t(rgb[component]);
    };
    const QByteArray bytes = fixtures::encodeJpeg(kind, kWidth, kHeight, sample);
    const auto decoded = pictures::decodePicture(bytesOf(bytes));
    QVERIFY(decoded);
    QCOMPARE(decoded->format, PictureFormat::Jpeg);
    QCOMPARE(decoded->image.width, kWidth);
    QCOMPARE(decoded->image.height, kHeight);
    // Lossy, so colours are compared with a tolerance away from the edge
    // between the halves.
    for (int y = 0; y < kHeight; ++y) {
        for (const int x : {0, 5, kWidth / 2 - 4, kWidth / 2 + 3, kWidth - 1}) {
            const std::uint32_t pixel = decoded->image.pixel(x, y);
            const QColor &stored = x < kWidth / 2 ? left : right;
            const QColor expected(stored.red() * black / 255, stored.green() * black / 255,
                                  stored.blue() * black / 255);
            QCOMPARE(pixel >> 24, 0xffu);
            const int difference = std::max({std::abs(channelOf(pixel, 16) - expected.red()),
                                             std::abs(channelOf(pixel, 8) - expected.green()),
                                             std::abs(channelOf(pixel, 0) - expected.blue())});
            if (difference > 8)
                QFAIL(qPrintable(QString("pixel (%1, %2) is %3").arg(x).arg(y).arg(pixel, 8, 16, QChar('0'))));
        }
    }
}

void TestPictures::showsTheTopOfATruncatedJpeg()
{
    constexpr int kSize = 64;
    const QByteArray whole = fixtures::encodeJpeg(fixtures::JpegKind::Colour, kSize, kSize,
                                                  [](int x, int y, int component) {
                                                      return std::uint8_t(component == 0 ? 255 : (x * y) & 0x3f);
                                                  });
    StderrCapture capture;
    const auto decoded = pictures::decodePicture(bytesOf(whole.left(whole.size() / 2)));
    QVERIFY(capture.text().isEmpty());
    QVERIFY(decoded);
    QCOMPARE(decoded->image.width, kSize);
    QCOMPARE(decoded->image.height, kSize);
    const auto reference = pictures::decodePicture(bytesOf(whole));
    QVERIFY(reference);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < kSize; ++x)
            QCOMPARE(decoded->image.pixel(x, y), reference->image.pixel(x, y));
    }
    QVERIFY(decoded->image.pixels != reference->image.pixels);
}

void TestPictures::rejectsBadBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");

    fixtures::PngFixture noise{64, 64, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
    for (int i = 0; i < 64 * 64 * 3; ++i)
        noise.samples.push_back(std::uint16_t((i * 7919) % 251));
    const QByteArray pngBytes = fixtures::encodePng(noise);
    const auto grey = [](int x, int y, int) { return std::uint8_t(x ^ y); };
    const QByteArray jpeg = fixtures::encodeJpeg(fixtures::JpegKind::Grey, 16, 16, grey);
    QByteArray badCrc = pngBytes;
    badCrc[29] = char(badCrc[29] ^ 0x55); // inside the IHDR CRC
    QByteArray jpegTooWide = jpeg;
    const qsizetype frame = jpegTooWide.indexOf("\xff\xc0");
    jpegTooWide[frame + 7] = char(0x40); // width 16385 (0x4001)
    jpegTooWide[frame + 8] = char(0x01);

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("5 bytes") << hex("89504e470d");
    QTest::newRow("text file") << QByteArray("A plain text file, long enough to be recognised.\n");
    QTest::newRow("png cut after 100 bytes") << pngBytes.left(100);
    QTest::newRow("png signature only") << pngBytes.left(8);
    QTest::newRow("png with a bad header crc") << badCrc;
    QTest::newRow("png wider than 16384") << fixtures::pngHeaderOnly(16385, 1);
    QTest::newRow("png of more than 64 megapixels") << fixtures::pngHeaderOnly(16384, 4097);
    QTest::newRow("png header without data") << fixtures::pngHeaderOnly(4, 4);
    QTest::newRow("jpeg cut inside its header") << jpeg.left(40);
    QTest::newRow("jpeg start marker and garbage") << hex("ffd8000102030405060708090a");
    QTest::newRow("jpeg wider than 16384") << jpegTooWide;
    QTest::newRow("jpeg with two components")
        << fixtures::encodeJpeg(fixtures::JpegKind::TwoComponents, 16, 16, grey);
}

void TestPictures::rejectsBadBytes()
{
    QFETCH(QByteArray, bytes);
    StderrCapture capture;
    const auto decoded = pictures::decodePicture(bytesOf(bytes));
    const QByteArray printed = capture.text();
    QVERIFY(!decoded);
    QCOMPARE(printed, QByteArray());
}

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"

#include "pic_box.h"

#include "picture_fixtures.h"

#include <QApplication>
#include <QTest>

using card_window::PicBox;
using pictures::Compositing;

Q_DECLARE_METATYPE(PicBox::DisplayMode)
Q_DECLARE_METATYPE(PicBox::BorderStyle)
Q_DECLARE_METATYPE(pictures::Compositing)

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kBlue = 0xff0000ff;

QByteArray solidPng(int width, int height, std::uint32_t color)
{
    return fixtures::encodeRgbaPng(width, height, [color](int, int) { return color; });
}

QImage shown(PicBox &box)
{
    return box.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The first pixel of the image that is not the given colour, as text, or
// an empty text when all of them are.
QString firstOtherPixel(const QImage &image, QRect area, QRgb color)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != (color | 0xff000000u))
                return QString("(%1, %2) is %3").arg(x).arg(y).arg(image.pixel(x, y), 8, 16, QChar('0'));
        }
    }
    return {};
}

} // namespace

class TestPicBox : public QObject {
    Q_OBJECT
private slots:
    void composesOverTheBackground_data();
    void composesOverTheBackground();
    void startsEmptyWithTheSystemFaceColour();
    void leavesTheBoxEmptyOnBadBytes_data();
    void leavesTheBoxEmptyOnBadBytes();
    void showsTheBackgroundThroughTransparentPng();
    void placesThePictureByDisplayMode_data();
    void placesThePictureByDisplayMode();
    void averagesWhenShrinking();
    void drawsBordersAroundTheClientArea_data();
    void drawsBordersAroundTheClientArea();
};

void TestPicBox::composesOverTheBackground_data()
{
    QTest::addColumn<Compositing>("compositing");
    QTest::addColumn<uint>("pixel");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<QRgb>("expected");

    QTest::newRow("png, half-transparent red") << Compositing::BlendPng << 0x80ff0000u << qRgb(240, 240, 240)
                                               << qRgb(247, 119, 119);
    QTest::newRow("png, truncated not rounded") << Compositing::BlendPng << 0xfe0ac81eu << qRgb(0, 0, 0)
                                                << qRgb(9, 199, 29);
    QTest::newRow("png, nearly transparent") << Compositing::BlendPng << 0x010000ffu << qRgb(240, 240, 240)
                                             << qRgb(239, 239, 240);
    QTest::newRow("png, transparent") << Compositing::BlendPng << 0x00123456u << qRgb(1, 2, 3) << qRgb(1, 2, 3);
    QTest::newRow("png, opaque") << Compositing::BlendPng << 0xff123456u << qRgb(1, 2, 3) << qRgb(0x12, 0x34, 0x56);
    QTest::newRow("icon, masked") << Compositing::Masked << 0x00123456u << qRgb(9, 8, 7) << qRgb(9, 8, 7);
    QTest::newRow("icon, half-transparent") << Compositing::Masked << 0x80ff0000u << qRgb(240, 240, 240)
                                            << qRgb(247, 119, 119);
    QTest::newRow("opaque ignores alpha") << Compositing::Opaque << 0x00123456u << qRgb(9, 8, 7)
                                          << qRgb(0x12, 0x34, 0x56);
}

void TestPicBox::composesOverTheBackground()
{
    QFETCH(Compositing, compositing);
    QFETCH(uint, pixel);
    QFETCH(QRgb, background);
    QFETCH(QRgb, expected);

    const pictures::Image image{1, 1, {pixel}};
    const QImage composed = card_window::composedImage(image, compositing, QColor::fromRgb(background));
    QCOMPARE(composed.pixel(0, 0), expected);
}

void TestPicBox::startsEmptyWithTheSystemFaceColour()
{
    PicBox box;
    box.resize(24, 24);
    const QColor face = QApplication::palette().color(QPalette::Button);
    QCOMPARE(box.backgroundColor(), face);
    QVERIFY(!box.hasPicture());
    QCOMPARE(firstOtherPixel(shown(box), box.rect(), face.rgb()), QString());
    QCOMPARE(box.cursor().shape(), Qt::ArrowCursor);
}

void TestPicBox::leavesTheBoxEmptyOnBadBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray noise;
    for (int i = 0; i < 4000; ++i)
        noise.append(char((i * 7919) % 251));
    const QByteArray png = fixtures::encodeRgbaPng(64, 64, [&](int x, int y) {
        return 0xff000000u | std::uint32_t(uchar(noise[y * 61 + x])) << 8;
    });
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("5 bytes") << png.left(5);
    QTest::newRow("text file") << QByteArray("Not a picture at all, just words.\n");
    QTest::newRow("png cut after 100 bytes") << png.left(100);
}

// Whatever the box showed before, a set that gives no picture leaves it empty.
void TestPicBox::leavesTheBoxEmptyOnBadBytes()
{
    QFETCH(QByteArray, bytes);
    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.setPicture(solidPng(4, 4, kRed));
    QVERIFY(box.hasPicture());
    QCOMPARE(shown(box).pixel(12, 12), kRed);

    box.setPicture(bytes);
    QVERIFY(!box.hasPicture());
    QCOMPARE(box.pictureData(), bytes);
    QCOMPARE(firstOtherPixel(shown(box), box.rect(), box.backgroundColor().rgb()), QString());
}

void TestPicBox::showsTheBackgroundThroughTransparentPng()
{
    // A red square on a fully transparent background that is white in colour.
    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.setBackgroundColor(QColor(240, 240, 240));
    box.setPicture(fixtures::encodeRgbaPng(24, 24, [](int x, int y) {
        return x >= 8 && x < 16 && y >= 8 && y < 16 ? kRed : 0x00ffffffu;
    }));
    const QImage image = shown(box);
    QCOMPARE(firstOtherPixel(image, {8, 8, 8, 8}, kRed), QString());
    QCOMPARE(firstOtherPixel(image, {0, 0, 24, 8}, qRgb(240, 240, 240)), QString());
    QCOMPARE(firstOtherPixel(image, {0, 16, 24, 8}, qRgb(240, 240, 240)), QString());
}

void TestPicBox::placesThePictureByDisplayMode_data()
{
    QTest::addColumn<PicBox::DisplayMode>("mode");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected"); // where the picture's pixels land

    QTest::newRow("natural size, larger picture cut off") << PicBox::DisplayMode::NaturalSize << QSize(632, 344)
                                                          << QSize(630, 345) << QRect(0, 0, 630, 344);
    QTest::newRow("natural size, smaller picture") << PicBox::DisplayMode::NaturalSize << QSize(24, 24)
                                                   << QSize(10, 6) << QRect(0, 0, 10, 6);
    QTest::newRow("stretched, 48 x 24 squeezed") << PicBox::DisplayMode::Stretched << QSize(24, 24) << QSize(48, 24)
                                                 << QRect(0, 0, 24, 24);
    QTest::newRow("centred, smaller picture") << PicBox::DisplayMode::Centred << QSize(24, 24) << QSize(9, 6)
                                              << QRect(7, 9, 9, 6);
    QTest::newRow("centred, wide picture shrunk") << PicBox::DisplayMode::Centred << QSize(24, 24) << QSize(48, 24)
                                                  << QRect(0, 6, 24, 12);
    QTest::newRow("centred, tall picture shrunk") << PicBox::DisplayMode::Centred << QSize(24, 25) << QSize(32, 100)
                                                  << QRect(8, 0, 8, 25);
}

void TestPicBox::placesThePictureByDisplayMode()
{
    QFETCH(PicBox::DisplayMode, mode);
    QFETCH(QSize, box);
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);

    // Left half red, right half blue: the halves must survive any scaling.
    PicBox pictureBox;
    pictureBox.resize(box);
    pictureBox.setDisplayMode(mode);
    pictureBox.setBackgroundColor(QColor(0, 255, 0));
    const int half = picture.width() / 2;
    pictureBox.setPicture(fixtures::encodeRgbaPng(picture.width(), picture.height(), [half](int x, int) {
        return x < half ? kRed : kBlue;
    }));
    const QImage image = shown(pictureBox);
    const int shownHalf = expected.width() / 2;
    QCOMPARE(firstOtherPixel(image, {expected.left(), expected.top(), shownHalf, expected.height()}, kRed), QString());
    if (expected.width() % 2 == 0) {
        QCOMPARE(firstOtherPixel(image, {expected.left() + shownHalf, expected.top(), shownHalf, expected.height()},
                                 kBlue),
                 QString());
    }
    // Everything around the picture shows the background.
    const QRgb background = qRgb(0, 255, 0);
    QCOMPARE(firstOtherPixel(image, {0, 0, box.width(), expected.top()}, background), QString());
    QCOMPARE(firstOtherPixel(image, {0, expected.bottom() + 1, box.width(), box.height() - expected.bottom() - 1},
                             background),
             QString());
    QCOMPARE(firstOtherPixel(image, {0, 0, expected.left(), box.height()}, background), QString());
    QCOMPARE(firstOtherPixel(image, {expected.right() + 1, 0, box.width() - expected.right() - 1, box.height()},
                             background),
             QString());
}

// A one-pixel checkerboard shrunk to 24 x 24 averages to grey; picking
// pixels or sampling bilinearly at pixel centres gives black and white.
void TestPicBox::averagesWhenShrinking()
{
    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.setPicture(fixtures::encodeRgbaPng(200, 200, [](int x, int y) {
        return (x + y) % 2 ? 0xffffffffu : 0xff000000u;
    }));
    const QImage image = shown(box);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const int grey = qGreen(image.pixel(x, y));
            QVERIFY2(grey > 100 && grey < 155, qPrintable(QString("(%1, %2) is %3").arg(x).arg(y).arg(grey)));
        }
    }
}

void TestPicBox::drawsBordersAroundTheClientArea_data()
{
    QTest::addColumn<PicBox::BorderStyle>("style");
    QTest::addColumn<int>("width");

    QTest::newRow("none") << PicBox::BorderStyle::None << 0;
    QTest::newRow("sunken client edge") << PicBox::BorderStyle::SunkenClientEdge << 2;
    QTest::newRow("raised dialog frame") << PicBox::BorderStyle::RaisedDialogFrame << 3;
    QTest::newRow("thin sunken edge") << PicBox::BorderStyle::ThinSunkenEdge << 1;
    QTest::newRow("client edge in dialog frame") << PicBox::BorderStyle::ClientEdgeInDialogFrame << 5;
    QTest::newRow("line") << PicBox::BorderStyle::Line << 1;
}

void TestPicBox::drawsBordersAroundTheClientArea()
{
    QFETCH(PicBox::BorderStyle, style);
    QFETCH(int, width);

    PicBox box;
    box.resize(32, 32);
    box.setBorderStyle(style);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.setPicture(solidPng(2, 2, kRed));
    QCOMPARE(box.contentsRect(), QRect(width, width, 32 - 2 * width, 32 - 2 * width));
    const QImage image = shown(box);
    QCOMPARE(firstOtherPixel(image, box.contentsRect(), kRed), QString());
    if (width > 0) {
        QVERIFY(image.pixel(0, 0) != kRed);
        QVERIFY(image.pixel(31, 31) != kRed);
    }
}

QTEST_MAIN(TestPicBox)
#include "test_pic_box.moc"

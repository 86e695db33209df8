#include "app_icon.h"
#include "assets/artwork.h"
#include "card_window.h"
#include "decoders.h"
#include "pic_box.h"

#include <QApplication>
#include <QTest>
#include <QtEndian>

using card_window::Artwork;

Q_DECLARE_METATYPE(card_window::Artwork)

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBand = qRgb(255, 244, 221);
constexpr QRgb kAccent = qRgb(242, 108, 79);
constexpr QRgb kHeading = qRgb(68, 68, 68);
constexpr QRgb kDarkHeading = qRgb(51, 51, 51);
constexpr QRgb kSeparator = qRgb(204, 204, 204);
constexpr QRgb kLink = qRgb(51, 102, 153);
constexpr QRgb kLogoBackground = qRgb(153, 217, 234);
constexpr QRgb kLogoGlyphs = qRgb(0, 162, 232);

constexpr int kSeparatorRows[] = {88, 125, 162, 199, 236, 273, 310};

QImage decodedArtwork(Artwork artwork)
{
    const QByteArray png = card_window::artworkBytes(artwork);
    const auto image = pictures::decodePng({reinterpret_cast<const std::uint8_t *>(png.constData()),
                                            std::size_t(png.size())});
    if (!image)
        return {};
    return QImage(reinterpret_cast<const uchar *>(image->pixels.data()), image->width, image->height,
                  QImage::Format_ARGB32)
        .copy();
}

const QImage &cardPicture()
{
    static const QImage card = decodedArtwork(Artwork::CardPicture);
    return card;
}

QString describe(QPoint point, QRgb actual)
{
    return QString("(%1, %2) is %3").arg(point.x()).arg(point.y()).arg(actual & 0xffffff, 6, 16, QChar('0'));
}

// The chunks of a PNG file by type, each the data of its first occurrence.
QHash<QByteArray, QByteArray> chunksOf(const QByteArray &png)
{
    QHash<QByteArray, QByteArray> chunks;
    for (qsizetype position = 8; position + 12 <= png.size();) {
        const auto length = qFromBigEndian<quint32>(png.constData() + position);
        const QByteArray type = png.mid(position + 4, 4);
        if (!chunks.contains(type))
            chunks.insert(type, png.mid(position + 8, qsizetype(length)));
        position += 12 + qsizetype(length);
    }
    return chunks;
}

// The dashes of every separator: the first dash of each column cell is
// longer, then 3 pixels of dash follow 3 of gap.
bool isDash(int x)
{
    if ((x >= 20 && x <= 23) || (x >= 141 && x <= 146) || (x >= 246 && x <= 250))
        return true;
    const auto inRun = [x](int first, int last) { return x >= first && x <= last && (x - first) % 6 < 3; };
    return inRun(27, 139) || inRun(150, 244) || inRun(254, 628);
}

// The smallest rectangle holding every pixel of the area that differs from
// the background.
QRect inkBox(const QImage &image, QRect area, QRgb background)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) != (background & 0xffffff))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

bool between(int value, int a, int b)
{
    return value >= std::min(a, b) && value <= std::max(a, b);
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void hasTheChunksOfItsDesign_data();
    void hasTheChunksOfItsDesign();
    void cardPictureIsOpaque();
    void cardRowsAboveTheHeading_data();
    void cardRowsAboveTheHeading();
    void separatorsAreIdenticalDashedLines_data();
    void separatorsAreIdenticalDashedLines();
    void plainWhiteRows_data();
    void plainWhiteRows();
    void cardRowBandsHoldOnlyTheirSampleAvatar_data();
    void cardRowBandsHoldOnlyTheirSampleAvatar();
    void sampleAvatarsDiffer();
    void glyphsSitInTheirBoxes_data();
    void glyphsSitInTheirBoxes();
    void pillsHaveTheirCorners_data();
    void pillsHaveTheirCorners();
    void logoFillsItsAreaWithMargins();
    void applicationIconHasBothSizes();
    void windowShowsTheArtworkAndPlainAvatars();
};

void TestArtwork::hasTheChunksOfItsDesign_data()
{
    QTest::addColumn<Artwork>("artwork");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colorType"); // 2 RGB, 6 RGBA
    QTest::addColumn<int>("pixelsPerMetre");

    QTest::newRow("card picture") << Artwork::CardPicture << QSize(630, 345) << 6 << 3780;
    QTest::newRow("logo") << Artwork::Logo << QSize(200, 200) << 2 << 3779;
    QTest::newRow("application icon") << Artwork::AppIcon << QSize(32, 32) << 6 << 3780;
}

void TestArtwork::hasTheChunksOfItsDesign()
{
    QFETCH(Artwork, artwork);
    QFETCH(QSize, size);
    QFETCH(int, colorType);
    QFETCH(int, pixelsPerMetre);

    const QByteArray png = card_window::artworkBytes(artwork);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    const auto chunks = chunksOf(png);
    const QByteArray header = chunks.value("IHDR");
    QCOMPARE(header.size(), 13);
    QCOMPARE(int(qFromBigEndian<quint32>(header.constData())), size.width());
    QCOMPARE(int(qFromBigEndian<quint32>(header.constData() + 4)), size.height());
    QCOMPARE(int(header[8]), 8);            // bits per channel
    QCOMPARE(int(header[9]), colorType);
    QCOMPARE(int(header[12]), 0);           // not interlaced
    QCOMPARE(chunks.value("sRGB"), QByteArray(1, '\0')); // perceptual intent
    QCOMPARE(qFromBigEndian<quint32>(chunks.value("gAMA").constData()), 45455u);
    const QByteArray physical = chunks.value("pHYs");
    QCOMPARE(physical.size(), 9);
    QCOMPARE(int(qFromBigEndian<quint32>(physical.constData())), pixelsPerMetre);
    QCOMPARE(int(qFromBigEndian<quint32>(physical.constData() + 4)), pixelsPerMetre);
    QCOMPARE(int(physical[8]), 1); // per metre
    QCOMPARE(decodedArtwork(artwork).size(), size);
}

void TestArtwork::cardPictureIsOpaque()
{
    const QImage &card = cardPicture();
    for (int y = 0; y < card.height(); ++y) {
        for (int x = 0; x < card.width(); ++x) {
            if (qAlpha(card.pixel(x, y)) != 255)
                QFAIL(qPrintable(describe({x, y}, card.pixel(x, y))));
        }
    }
}

void TestArtwork::cardRowsAboveTheHeading_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("bandEnd"); // last band column, -1 for a white row

    for (int y = 0; y < 62; ++y) {
        int end = -1;
        if (y >= 2 && y <= 15)
            end = 294 - (y - 2);
        else if (y >= 16 && y <= 29)
            end = 281 + (y - 15);
        QTest::addRow("row %d", y) << y << end;
    }
}

// Rows 2 to 29 are the header band with its notch, the rest white; the ring
// and "评分" are checked with the other glyphs.
void TestArtwork::cardRowsAboveTheHeading()
{
    QFETCH(int, y);
    QFETCH(int, bandEnd);
    const QImage &card = cardPicture();
    const QRect ringAndTitle(QPoint(19, 11), QPoint(61, 24));
    for (int x = 0; x < card.width(); ++x) {
        if (ringAndTitle.contains(x, y))
            continue;
        const QRgb expected = x <= bandEnd ? kBand : kWhite;
        if (card.pixel(x, y) != (expected | 0xff000000u))
            QFAIL(qPrintable(describe({x, y}, card.pixel(x, y))));
    }
}

void TestArtwork::separatorsAreIdenticalDashedLines_data()
{
    QTest::addColumn<int>("y");
    for (const int y : kSeparatorRows)
        QTest::addRow("row %d", y) << y;
}

void TestArtwork::separatorsAreIdenticalDashedLines()
{
    QFETCH(int, y);
    const QImage &card = cardPicture();
    for (int x = 0; x < card.width(); ++x) {
        const QRgb expected = isDash(x) ? kSeparator : kWhite;
        if (card.pixel(x, y) != (expected | 0xff000000u))
            QFAIL(qPrintable(describe({x, y}, card.pixel(x, y))));
    }
}

void TestArtwork::plainWhiteRows_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::newRow("between the band and the headings") << 30 << 61;
    QTest::newRow("between the headings and the first separator") << 80 << 87;
    QTest::newRow("between the last separator and the link") << 311 << 322;
    QTest::newRow("below the link") << 335 << 344;
}

void TestArtwork::plainWhiteRows()
{
    QFETCH(int, first);
    QFETCH(int, last);
    const QImage &card = cardPicture();
    for (int y = first; y <= last; ++y) {
        for (int x = 0; x < card.width(); ++x) {
            if (card.pixel(x, y) != (kWhite | 0xff000000u))
                QFAIL(qPrintable(describe({x, y}, card.pixel(x, y))));
        }
    }
}

void TestArtwork::cardRowBandsHoldOnlyTheirSampleAvatar_data()
{
    QTest::addColumn<int>("row");
    for (int row = 1; row <= 6; ++row)
        QTest::addRow("card row %d", row) << row;
}

void TestArtwork::cardRowBandsHoldOnlyTheirSampleAvatar()
{
    QFETCH(int, row);
    const int offset = 37 * (row - 1);
    const QRect avatar(22, 96 + offset, 24, 24);
    const QImage &card = cardPicture();
    for (int y = 89 + offset; y <= 124 + offset; ++y) {
        for (int x = 0; x < card.width(); ++x) {
            if (!avatar.contains(x, y) && card.pixel(x, y) != (kWhite | 0xff000000u))
                QFAIL(qPrintable(describe({x, y}, card.pixel(x, y))));
        }
    }
    // The avatar is a picture, not a plain square.
    QVERIFY(inkBox(card, avatar, card.pixel(avatar.topLeft())) != QRect());
}

void TestArtwork::sampleAvatarsDiffer()
{
    QList<QImage> avatars;
    for (int row = 0; row < 6; ++row)
        avatars.append(cardPicture().copy(22, 96 + 37 * row, 24, 24));
    for (int i = 0; i < avatars.size(); ++i) {
        for (int j = i + 1; j < avatars.size(); ++j)
            QVERIFY2(avatars[i] != avatars[j], qPrintable(QString("avatars %1 and %2").arg(i + 1).arg(j + 1)));
    }
}

void TestArtwork::glyphsSitInTheirBoxes_data()
{
    QTest::addColumn<QRect>("area");       // holds the glyphs and background only
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<QRect>("glyphs");
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<bool>("smooth");

    const auto box = [](int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right, bottom)); };
    QTest::newRow("ring") << box(10, 4, 34, 28) << kBand << box(19, 11, 32, 24) << kAccent << true;
    QTest::newRow("评分") << box(34, 4, 100, 28) << kBand << box(36, 11, 61, 22) << kAccent << true;
    QTest::newRow("参与人数") << box(10, 56, 72, 86) << kWhite << box(21, 66, 70, 77) << kDarkHeading << true;
    QTest::newRow("999") << box(77, 64, 102, 77) << kBand << box(78, 67, 101, 75) << kAccent << true;
    // Noto's 11-pixel bold reaches one row below the 12-pixel cell here.
    QTest::newRow("Qarnelo币") << box(125, 56, 185, 86) << kWhite << box(145, 66, 182, 78) << kHeading << true;
    QTest::newRow("+999999, coin") << box(189, 64, 247, 77) << kBand << box(189, 67, 247, 75) << kAccent << true;
    QTest::newRow("热心值") << box(248, 56, 289, 86) << kWhite << box(249, 66, 286, 77) << kHeading << true;
    QTest::newRow("+999999, heat") << box(293, 64, 351, 77) << kBand << box(293, 67, 351, 75) << kAccent << true;
    QTest::newRow("理由") << box(353, 56, 629, 86) << kWhite << box(354, 66, 375, 77) << kHeading << false;
    QTest::newRow("查看全部评分") << box(0, 312, 629, 344) << kWhite << box(22, 323, 92, 334) << kLink << false;
}

// The glyphs fill their box exactly; smoothed glyphs blend their colour
// into the background and reach it somewhere, unsmoothed ones use it alone.
void TestArtwork::glyphsSitInTheirBoxes()
{
    QFETCH(QRect, area);
    QFETCH(QRgb, background);
    QFETCH(QRect, glyphs);
    QFETCH(QRgb, color);
    QFETCH(bool, smooth);

    const QImage &card = cardPicture();
    QCOMPARE(inkBox(card, area, background), glyphs);
    bool reachesColor = false;
    for (int y = glyphs.top(); y <= glyphs.bottom(); ++y) {
        for (int x = glyphs.left(); x <= glyphs.right(); ++x) {
            const QRgb pixel = card.pixel(x, y);
            if ((pixel & 0xffffff) == (background & 0xffffff))
                continue;
            reachesColor |= (pixel & 0xffffff) == (color & 0xffffff);
            const bool blended = between(qRed(pixel), qRed(color), qRed(background))
                && between(qGreen(pixel), qGreen(color), qGreen(background))
                && between(qBlue(pixel), qBlue(color), qBlue(background));
            if (smooth ? !blended : (pixel & 0xffffff) != (color & 0xffffff))
                QFAIL(qPrintable(describe({x, y}, pixel)));
        }
    }
    QVERIFY(reachesColor);
}

void TestArtwork::pillsHaveTheirCorners_data()
{
    QTest::addColumn<QRect>("pill");
    QTest::addColumn<bool>("roundRight");

    QTest::newRow("participants") << QRect(QPoint(75, 62), QPoint(104, 79)) << true;
    QTest::newRow("coin") << QRect(QPoint(187, 62), QPoint(247, 79)) << false;
    QTest::newRow("heat") << QRect(QPoint(291, 62), QPoint(351, 79)) << false;
}

void TestArtwork::pillsHaveTheirCorners()
{
    QFETCH(QRect, pill);
    QFETCH(bool, roundRight);

    const QImage &card = cardPicture();
    const auto colorAt = [&](int x, int y) { return card.pixel(x, y) & 0xffffff; };
    const QRgb band = kBand & 0xffffff;
    const QRgb white = kWhite & 0xffffff;
    // The pill's own rows above and below its text, edge to edge.
    for (const int y : {pill.top() + 2, pill.bottom() - 2}) {
        QCOMPARE(colorAt(pill.left() - 1, y), white);
        QCOMPARE(colorAt(pill.right() + 1, y), white);
        for (int x = pill.left(); x <= pill.right(); ++x)
            QCOMPARE(colorAt(x, y), band);
    }
    for (int x = pill.left() + 2; x <= pill.right() - 2; ++x) {
        QCOMPARE(colorAt(x, pill.top()), band);
        QCOMPARE(colorAt(x, pill.bottom()), band);
        QCOMPARE(colorAt(x, pill.top() - 1), white);
        QCOMPARE(colorAt(x, pill.bottom() + 1), white);
    }
    for (const int y : {pill.top(), pill.bottom()}) {
        QCOMPARE(colorAt(pill.left(), y), white);
        QCOMPARE(colorAt(pill.right(), y), roundRight ? white : band);
    }
}

void TestArtwork::logoFillsItsAreaWithMargins()
{
    const QImage logo = decodedArtwork(Artwork::Logo);
    QCOMPARE(logo.size(), QSize(200, 200));
    QCOMPARE(inkBox(logo, logo.rect(), kLogoBackground), QRect(QPoint(5, 5), QPoint(193, 192)));
    bool reachesColor = false;
    for (int y = 0; y < logo.height(); ++y) {
        for (int x = 0; x < logo.width(); ++x) {
            const QRgb pixel = logo.pixel(x, y);
            reachesColor |= (pixel & 0xffffff) == (kLogoGlyphs & 0xffffff);
            if (!between(qRed(pixel), 0, 153) || !between(qGreen(pixel), 162, 217) || !between(qBlue(pixel), 232, 234))
                QFAIL(qPrintable(describe({x, y}, pixel)));
        }
    }
    QVERIFY(reachesColor);
}

void TestArtwork::applicationIconHasBothSizes()
{
    const QIcon icon = card_window::applicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(16, 16)));
    const QImage large = icon.pixmap(32, 32).toImage();
    QCOMPARE(qAlpha(large.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(large.pixel(16, 16)), 255);
}

void TestArtwork::windowShowsTheArtworkAndPlainAvatars()
{
    const auto window = card_window::CardWindow::buildAndShow({});
    QVERIFY(window);
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QImage shownWindow = window->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The card where no control lies above it, at the window's client origin.
    for (const QPoint point : {QPoint(0, 2), QPoint(294, 2), QPoint(281, 15), QPoint(20, 88), QPoint(624, 310),
                               QPoint(92, 330), QPoint(624, 343)})
        QCOMPARE(shownWindow.pixel(point), cardPicture().pixel(point));
    // The card box is wider than the picture and one row shorter.
    auto *card = window->control<card_window::PicBox>(u"图片框1");
    QVERIFY(card);
    const QImage shownCard = card->grab().toImage();
    QCOMPARE(shownCard.size(), QSize(632, 344));
    for (int y = 0; y < 344; ++y) {
        QCOMPARE(shownCard.pixel(629, y), cardPicture().pixel(629, y));
        QCOMPARE(shownCard.pixel(630, y), face.rgb());
        QCOMPARE(shownCard.pixel(631, y), face.rgb());
    }

    auto *logo = window->control<card_window::PicBox>(u"图片框8");
    QVERIFY(logo);
    QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    const QImage expectedLogo = decodedArtwork(Artwork::Logo)
                                    .convertToFormat(QImage::Format_RGB32)
                                    .scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(shownWindow.copy(536, 528, 64, 64), expectedLogo);

    // Each avatar box covers its sample avatar with a plain face-coloured square.
    for (int row = 0; row < 6; ++row) {
        const QRect avatar(22, 96 + 37 * row, 24, 24);
        QCOMPARE(inkBox(shownWindow, avatar, face.rgb()), QRect());
    }
    for (const char *name : {"图片框2", "图片框3", "图片框4", "图片框5", "图片框6", "图片框7"}) {
        auto *box = window->control<card_window::PicBox>(QString::fromUtf8(name));
        QVERIFY(box);
        QCOMPARE(box->displayMode(), card_window::PicBox::DisplayMode::Stretched);
        QVERIFY(!box->hasPicture());
        QCOMPARE(box->cursor().shape(), Qt::ArrowCursor);
    }
}

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"

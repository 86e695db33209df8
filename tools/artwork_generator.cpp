// Draws the card picture, the logo and the application icon and writes them
// as PNG files into the folder given on the command line:
//   artwork_generator <folder>
// Text is fitted to the glyph boxes the card's design gives, so the output
// depends on the installed Noto CJK fonts; run with QT_QPA_PLATFORM=offscreen.

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <png.h>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBand = 0xfffff4dd;       // (255, 244, 221): header band and pills
constexpr QRgb kAccent = 0xfff26c4f;     // (242, 108, 79): ring, "评分" and amounts
constexpr QRgb kHeading = 0xff444444;    // (68, 68, 68)
constexpr QRgb kDarkHeading = 0xff333333; // (51, 51, 51)
constexpr QRgb kSeparator = 0xffcccccc;  // (204, 204, 204)
constexpr QRgb kLink = 0xff336699;       // (51, 102, 153)
constexpr QRgb kLogoBackground = 0xff99d9ea; // (153, 217, 234)
constexpr QRgb kLogoGlyphs = 0xff00a2e8;     // (0, 162, 232)

constexpr QSize kCardSize{630, 345};
constexpr int kSeparatorRows[] = {88, 125, 162, 199, 236, 273, 310};
constexpr int kSeparatorEnd = 628;

QTextStream &report()
{
    static QTextStream stream(stdout);
    return stream;
}

// ---- Text fitted to a glyph box -------------------------------------------

struct FittedText {
    QFont font;
    QPoint origin; // the baseline start that puts the ink at the target
    QRect ink;
};

QFont cjkFont(int pixelSize, bool bold, bool smooth)
{
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The pixels a text touches when drawn with its baseline start at (0, 0).
QRect inkOf(const QString &text, const QFont &font)
{
    const QFontMetrics metrics(font);
    const QRect bounds = metrics.boundingRect(text).adjusted(-8, -8, 8, 8);
    QImage scratch(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(-bounds.topLeft(), text);
    }
    QRect ink;
    for (int y = 0; y < scratch.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.translated(bounds.topLeft());
}

struct Candidate {
    QFont font;
    QRect ink;
    int cost;
};

// Among fonts of the given sizes, stretches and letter spacings (in quarter
// pixels), the one whose ink comes closest to the target's size, preferring
// the plain font where several fit equally well; glyphs squeezed together
// read worse than narrower glyphs, so negative spacing costs most.
std::optional<Candidate> bestFont(const QString &text, bool bold, bool smooth, QSize target, const QList<int> &sizes,
                                  const QList<int> &stretches, const QList<int> &spacings)
{
    std::optional<Candidate> best;
    for (const int size : sizes) {
        for (const int stretch : stretches) {
            for (const int spacing : spacings) {
                QFont font = cjkFont(size, bold, smooth);
                if (stretch != 100)
                    font.setStretch(stretch);
                font.setLetterSpacing(QFont::AbsoluteSpacing, spacing / 4.0);
                const QRect ink = inkOf(text, font);
                const int cost = 1000 * std::abs(ink.width() - target.width())
                    + 1000 * std::abs(ink.height() - target.height()) + std::abs(stretch - 100)
                    + (spacing < 0 ? -8 * spacing : spacing) + 10 * std::abs(size - sizes.first());
                if (!best || cost < best->cost)
                    best = Candidate{font, ink, cost};
            }
        }
    }
    return best;
}

QList<int> range(int from, int to)
{
    QList<int> values;
    for (int value = from; value <= to; ++value)
        values.append(value);
    return values;
}

// Fits the text's ink to the target box by letter spacing, and by
// horizontal stretch only where spacing alone cannot.
FittedText fitText(const QString &text, bool bold, bool smooth, QRect target, const QList<int> &sizes)
{
    auto best = bestFont(text, bold, smooth, target.size(), sizes, {100}, range(-8, 16));
    if (best->ink.size() != target.size()) {
        const auto stretched = bestFont(text, bold, smooth, target.size(), sizes, range(60, 130), range(-4, 4));
        if (stretched->cost < best->cost)
            best = stretched;
    }
    const QPoint origin = target.topLeft() - best->ink.topLeft();
    const QRect ink = best->ink.translated(origin);
    report() << text << ": size " << best->font.pixelSize() << ", stretch " << best->font.stretch() << ", spacing "
             << best->font.letterSpacing() << "; glyphs x " << ink.left() << "-" << ink.right() << ", y "
             << ink.top() << "-" << ink.bottom() << " (asked x " << target.left() << "-" << target.right() << ", y "
             << target.top() << "-" << target.bottom() << ")\n";
    return FittedText{best->font, origin, ink};
}

void drawFitted(QPainter &painter, const QString &text, QRgb color, bool bold, bool smooth, QRect target,
                QList<int> sizes = {12})
{
    const FittedText fitted = fitText(text, bold, smooth, target, sizes);
    painter.save();
    painter.setFont(fitted.font);
    painter.setPen(QColor::fromRgb(color));
    painter.drawText(fitted.origin, text);
    painter.restore();
}

// ---- The card picture -----------------------------------------------------

// The header band ends in a V-shaped notch: the end column per row.
int bandEnd(int y)
{
    return y <= 15 ? 294 - (y - 2) : 281 + (y - 15);
}

// A pill with hard edges; its rounded corners lose two pixels on their
// outermost row and one on the next.
void drawPill(QPainter &painter, QRect pill, bool roundRight)
{
    constexpr int kCornerInset[] = {2, 1};
    for (int y = pill.top(); y <= pill.bottom(); ++y) {
        const int fromEdge = std::min(y - pill.top(), pill.bottom() - y);
        const int inset = fromEdge < 2 ? kCornerInset[fromEdge] : 0;
        painter.fillRect(QRect(QPoint(pill.left() + inset, y), QPoint(pill.right() - (roundRight ? inset : 0), y)),
                         QColor::fromRgb(kBand));
    }
}

// The dashes of a separator: each column cell starts its own pattern with a
// longer dash, then 3 pixels of gap and 3 of dash alternate.
void drawSeparator(QPainter &painter, int y)
{
    struct Cell {
        int start;
        int firstDash;
        int end;
    };
    constexpr Cell kCells[] = {{20, 4, 140}, {141, 6, 245}, {246, 5, kSeparatorEnd}};
    for (const Cell &cell : kCells) {
        painter.fillRect(QRect(cell.start, y, cell.firstDash, 1), QColor::fromRgb(kSeparator));
        for (int x = cell.start + cell.firstDash + 3; x <= cell.end; x += 6)
            painter.fillRect(QRect(QPoint(x, y), QPoint(std::min(x + 2, cell.end), y)), QColor::fromRgb(kSeparator));
    }
}

// Six small stand-ins for the forum's sample avatars; the avatar boxes cover
// them on screen.
QImage sampleAvatar(int index)
{
    QImage avatar(24, 24, QImage::Format_ARGB32);
    QPainter painter(&avatar);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    switch (index) {
    case 0: { // a cartoon figure
        avatar.fill(QColor(170, 215, 250));
        painter.setBrush(QColor(60, 120, 200));
        painter.drawRoundedRect(QRectF(5, 15, 14, 12), 4, 4);
        painter.setBrush(QColor(255, 214, 160));
        painter.drawEllipse(QRectF(6, 3, 12, 12));
        painter.setBrush(QColor(40, 40, 40));
        painter.drawEllipse(QRectF(9, 7, 2, 2.5));
        painter.drawEllipse(QRectF(13, 7, 2, 2.5));
        break;
    }
    case 1: { // a sunset over the sea
        QLinearGradient sky(0, 0, 0, 14);
        sky.setColorAt(0, QColor(250, 140, 60));
        sky.setColorAt(1, QColor(255, 220, 120));
        painter.fillRect(QRect(0, 0, 24, 14), sky);
        painter.fillRect(QRect(0, 14, 24, 10), QColor(40, 80, 140));
        painter.setBrush(QColor(255, 250, 200));
        painter.drawEllipse(QRectF(8, 8, 9, 9));
        painter.fillRect(QRect(0, 14, 24, 10), QColor(40, 80, 140, 230));
        break;
    }
    case 2: { // green hills under a blue sky
        avatar.fill(QColor(120, 180, 240));
        painter.setBrush(QColor(70, 150, 60));
        painter.drawEllipse(QRectF(-8, 12, 26, 20));
        painter.setBrush(QColor(50, 120, 45));
        painter.drawEllipse(QRectF(8, 14, 24, 18));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(13, 4, 8, 4));
        break;
    }
    case 3: { // a red flower
        avatar.fill(QColor(80, 130, 60));
        painter.setBrush(QColor(210, 40, 60));
        for (int petal = 0; petal < 5; ++petal) {
            painter.save();
            painter.translate(12, 12);
            painter.rotate(72 * petal);
            painter.drawEllipse(QRectF(-3.5, -10, 7, 9));
            painter.restore();
        }
        painter.setBrush(QColor(250, 210, 60));
        painter.drawEllipse(QRectF(9, 9, 6, 6));
        break;
    }
    case 4: { // a city at dusk
        QLinearGradient sky(0, 0, 0, 24);
        sky.setColorAt(0, QColor(60, 40, 110));
        sky.setColorAt(1, QColor(240, 130, 90));
        painter.fillRect(avatar.rect(), sky);
        painter.setBrush(QColor(30, 30, 45));
        const int heights[] = {9, 14, 7, 17, 11, 13};
        for (int i = 0; i < 6; ++i)
            painter.drawRect(QRect(i * 4, 24 - heights[i], 4, heights[i]));
        break;
    }
    default: { // a black-and-white cartoon face
        avatar.fill(Qt::white);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(7.5, 8, 3, 3.5));
        painter.drawEllipse(QRectF(13.5, 8, 3, 3.5));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(7, 9, 10, 8), -20 * 16, -140 * 16);
        break;
    }
    }
    return avatar;
}

QImage drawCardPicture()
{
    QImage card(kCardSize, QImage::Format_ARGB32);
    card.fill(kWhite);
    QPainter painter(&card);

    for (int y = 2; y <= 29; ++y)
        painter.fillRect(QRect(QPoint(0, y), QPoint(bandEnd(y), y)), QColor::fromRgb(kBand));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgb(kAccent), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(20, 12, 12, 12)); // the pen's outer edge fills x 19-32, y 11-24
    painter.restore();
    drawFitted(painter, "评分", kAccent, true, true, QRect(QPoint(36, 11), QPoint(61, 22)), {12, 13, 11});

    drawFitted(painter, "参与人数", kDarkHeading, true, true, QRect(QPoint(21, 66), QPoint(70, 77)), {12, 11, 10});
    drawPill(painter, QRect(QPoint(75, 62), QPoint(104, 79)), true);
    drawFitted(painter, "999", kAccent, true, true, QRect(QPoint(78, 67), QPoint(101, 75)));
    drawFitted(painter, "Qarnelo币", kHeading, true, true, QRect(QPoint(145, 66), QPoint(182, 77)), {12, 11, 10});
    drawPill(painter, QRect(QPoint(187, 62), QPoint(247, 79)), false);
    drawFitted(painter, "+999999", kAccent, true, true, QRect(QPoint(189, 67), QPoint(247, 75)));
    drawFitted(painter, "热心值", kHeading, true, true, QRect(QPoint(249, 66), QPoint(286, 77)), {12, 11, 10});
    drawPill(painter, QRect(QPoint(291, 62), QPoint(351, 79)), false);
    drawFitted(painter, "+999999", kAccent, true, true, QRect(QPoint(293, 67), QPoint(351, 75)));
    drawFitted(painter, "理由", kHeading, false, false, QRect(QPoint(354, 66), QPoint(375, 77)));

    for (const int y : kSeparatorRows)
        drawSeparator(painter, y);
    for (int row = 0; row < 6; ++row)
        painter.drawImage(QPoint(22, 96 + 37 * row), sampleAvatar(row));

    drawFitted(painter, "查看全部评分", kLink, false, false, QRect(QPoint(22, 323), QPoint(92, 334)));
    return card;
}

// ---- The logo and the application icon -------------------------------------

QImage drawLogo()
{
    QImage logo(200, 200, QImage::Format_RGB32);
    logo.fill(kLogoBackground);
    QPainter painter(&logo);
    // "Morvane" in two lines of one size that together fill the height, each
    // line stretched to the full width.
    constexpr QRect kArea{QPoint(5, 5), QPoint(193, 192)};
    constexpr int kLineGap = 14;
    int size = 60;
    while (inkOf("Mor", cjkFont(size + 1, true, true)).height() + kLineGap
               + inkOf("vane", cjkFont(size + 1, true, true)).height()
           <= kArea.height())
        ++size;
    const int firstHeight = inkOf("Mor", cjkFont(size, true, true)).height();
    const int secondHeight = inkOf("vane", cjkFont(size, true, true)).height();
    drawFitted(painter, "Mor", kLogoGlyphs, true, true,
               QRect(kArea.left(), kArea.top(), kArea.width(), firstHeight), {size});
    drawFitted(painter, "vane", kLogoGlyphs, true, true,
               QRect(kArea.left(), kArea.bottom() + 1 - secondHeight, kArea.width(), secondHeight), {size});
    return logo;
}

// A rating badge: a white star on the accent colour, plain enough to read
// at 16 x 16.
QImage drawAppIcon()
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kAccent));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    QPainterPath star;
    for (int point = 0; point < 10; ++point) {
        const double radius = point % 2 ? 5.2 : 12.0;
        const double angle = M_PI / 2 + point * M_PI / 5;
        const QPointF corner(16 + radius * std::cos(angle), 17 - radius * std::sin(angle));
        point == 0 ? star.moveTo(corner) : star.lineTo(corner);
    }
    star.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(star);
    return icon;
}

// ---- PNG output ------------------------------------------------------------

bool writePng(const QImage &image, const QString &path, bool withAlpha, int pixelsPerMetre)
{
    const QImage rows = image.convertToFormat(withAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(rows.width()), png_uint_32(rows.height()), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_set_gAMA_fixed(png, info, 45455);
    png_set_pHYs(png, info, png_uint_32(pixelsPerMetre), png_uint_32(pixelsPerMetre), PNG_RESOLUTION_METER);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < rows.height(); ++y)
        png_write_row(png, rows.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: artwork_generator <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool written = writePng(drawCardPicture(), folder.filePath("card.png"), true, 3780)
        && writePng(drawLogo(), folder.filePath("logo.png"), false, 3779)
        && writePng(drawAppIcon(), folder.filePath("app_icon.png"), true, 3780);
    report().flush();
    if (!written) {
        std::fprintf(stderr, "artwork_generator: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}

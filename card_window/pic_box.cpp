#include "pic_box.h"

#include "assets/artwork.h"
#include "gif_animator.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace card_window {

namespace {

// The PNG blend works with 1/255 as a single-precision constant, widened to
// double: 0.003921568859 rather than 0.00392156862745.
const double kAlphaScale = double(1.0f / 255.0f);

std::uint32_t blendChannel(std::uint32_t color, std::uint32_t background, double opacity)
{
    const double value = double(color) * opacity + double(background) * (1.0 - opacity);
    return std::uint32_t(std::clamp(std::trunc(value), 0.0, 255.0));
}

std::uint32_t blendPixel(std::uint32_t pixel, QRgb background)
{
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 255)
        return pixel;
    const double opacity = double(alpha) * kAlphaScale;
    return 0xff000000u | blendChannel((pixel >> 16) & 0xff, std::uint32_t(qRed(background)), opacity) << 16
        | blendChannel((pixel >> 8) & 0xff, std::uint32_t(qGreen(background)), opacity) << 8
        | blendChannel(pixel & 0xff, std::uint32_t(qBlue(background)), opacity);
}

// The settings of the card's eight boxes beyond the common ones.
struct BoxSettings {
    std::string_view name;
    PicBox::DisplayMode displayMode;
    std::optional<Artwork> picture;
};

constexpr BoxSettings kBoxSettings[] = {
    {"图片框1", PicBox::DisplayMode::NaturalSize, Artwork::CardPicture},
    {"图片框2", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框3", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框4", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框5", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框6", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框7", PicBox::DisplayMode::Stretched, std::nullopt},
    {"图片框8", PicBox::DisplayMode::Stretched, Artwork::Logo},
};

int borderWidth(PicBox::BorderStyle style)
{
    switch (style) {
    case PicBox::BorderStyle::None:
        return 0;
    case PicBox::BorderStyle::SunkenClientEdge:
        return 2;
    case PicBox::BorderStyle::RaisedDialogFrame:
        return 3;
    case PicBox::BorderStyle::ThinSunkenEdge:
    case PicBox::BorderStyle::Line:
        return 1;
    case PicBox::BorderStyle::ClientEdgeInDialogFrame:
        return 5;
    }
    return 0;
}

} // namespace

QImage composedImage(const pictures::Image &image, pictures::Compositing compositing, QColor background)
{
    const bool opaque = std::all_of(image.pixels.begin(), image.pixels.end(),
                                    [](std::uint32_t pixel) { return pixel >> 24 == 0xff; });
    // Most pictures have no transparency: those are shown from their own
    // pixels, which saves a copy of a possibly large image.
    if (opaque)
        return QImage(reinterpret_cast<const uchar *>(image.pixels.data()), image.width, image.height,
                      QImage::Format_RGB32);
    QImage composed(image.width, image.height, QImage::Format_RGB32);
    if (composed.isNull())
        return composed;
    const QRgb backgroundRgb = background.rgb();
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t *source = image.pixels.data() + std::size_t(y) * std::size_t(image.width);
        auto *target = reinterpret_cast<QRgb *>(composed.scanLine(y));
        switch (compositing) {
        case pictures::Compositing::Opaque:
            for (int x = 0; x < image.width; ++x)
                target[x] = source[x] | 0xff000000u;
            break;
        // An icon's mask shows the background where alpha is 0, which the
        // blend gives exactly; partial alpha blends the same way.
        case pictures::Compositing::BlendPng:
        case pictures::Compositing::Masked:
            for (int x = 0; x < image.width; ++x)
                target[x] = blendPixel(source[x], backgroundRgb);
            break;
        }
    }
    return composed;
}

PicBox::PicBox(QWidget *parent) : QWidget(parent), m_background(QApplication::palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

// The animation worker draws into this box, so it goes before anything else.
PicBox::~PicBox()
{
    m_animator.reset();
}

PicBox *PicBox::fromLayout(const LayoutEntry &entry, QWidget *parent)
{
    auto *box = new PicBox(parent);
    const auto settings = std::find_if(std::begin(kBoxSettings), std::end(kBoxSettings),
                                       [&](const BoxSettings &candidate) { return candidate.name == entry.name; });
    if (settings != std::end(kBoxSettings)) {
        box->setDisplayMode(settings->displayMode);
        if (settings->picture)
            box->setPicture(artworkBytes(*settings->picture));
    }
    return box;
}

void PicBox::setBackgroundColor(QColor color)
{
    m_background = color;
    m_prepared.clear();
    update();
}

void PicBox::setBorderStyle(BorderStyle style)
{
    m_borderStyle = style;
    const int width = borderWidth(style);
    setContentsMargins(width, width, width, width);
    update();
}

void PicBox::setDisplayMode(DisplayMode mode)
{
    m_displayMode = mode;
    update();
}

void PicBox::setPicture(QByteArrayView bytes)
{
    m_animator.reset();
    m_pictureData = bytes.toByteArray();
    m_prepared.clear();
    m_picture.reset();
    const auto data = reinterpret_cast<const std::uint8_t *>(m_pictureData.constData());
    m_picture = pictures::decodePicture({data, std::size_t(m_pictureData.size())});
    if (m_playsAnimation && m_picture && m_picture->animation)
        m_animator = std::make_unique<GifAnimator>(this, m_picture->animation, m_background.rgb());
    update();
}

QRect PicBox::targetRect(QSize imageSize) const
{
    const QRect client = contentsRect();
    switch (m_displayMode) {
    case DisplayMode::NaturalSize:
        return {client.topLeft(), imageSize};
    case DisplayMode::Stretched:
        return client;
    case DisplayMode::Centred: {
        const QSize size = imageSize.width() <= client.width() && imageSize.height() <= client.height()
            ? imageSize
            : imageSize.scaled(client.size(), Qt::KeepAspectRatio);
        return {client.topLeft() + QPoint((client.width() - size.width()) / 2, (client.height() - size.height()) / 2),
                size};
    }
    }
    return client;
}

void PicBox::drawImage(QPainter &painter, const pictures::Image &image, pictures::Compositing compositing,
                       PreparedImage &prepared)
{
    if (image.isNull())
        return;
    if (prepared.composed.isNull()) {
        prepared.composed = composedImage(image, compositing, m_background);
        prepared.scaled = QImage();
    }
    drawComposed(painter, prepared);
}

void PicBox::drawComposed(QPainter &painter, PreparedImage &prepared)
{
    const QRect target = targetRect(prepared.composed.size());
    if (target.isEmpty())
        return;
    const QImage *shown = &prepared.composed;
    if (target.size() != prepared.composed.size()) {
        if (prepared.scaled.size() != target.size()) {
            // Shrinking averages neighbouring pixels; displays of 16 bits or
            // fewer per pixel only pick pixels.
            const auto filter = depth() > 16 ? Qt::SmoothTransformation : Qt::FastTransformation;
            prepared.scaled = prepared.composed.scaled(target.size(), Qt::IgnoreAspectRatio, filter);
        }
        shown = &prepared.scaled;
    }
    painter.save();
    painter.setClipRect(contentsRect());
    painter.drawImage(target.topLeft(), *shown);
    painter.restore();
}

void PicBox::drawBorder(QPainter &painter) const
{
    const QRect outer = rect();
    const QPalette &colors = palette();
    switch (m_borderStyle) {
    case BorderStyle::None:
        break;
    case BorderStyle::SunkenClientEdge:
        qDrawWinPanel(&painter, outer, colors, true);
        break;
    case BorderStyle::RaisedDialogFrame:
        qDrawWinPanel(&painter, outer, colors, false);
        qDrawPlainRect(&painter, outer.adjusted(2, 2, -2, -2), colors.color(QPalette::Button));
        break;
    case BorderStyle::ThinSunkenEdge:
        qDrawShadePanel(&painter, outer, colors, true, 1);
        break;
    case BorderStyle::ClientEdgeInDialogFrame:
        qDrawWinPanel(&painter, outer, colors, false);
        qDrawPlainRect(&painter, outer.adjusted(2, 2, -2, -2), colors.color(QPalette::Button));
        qDrawWinPanel(&painter, outer.adjusted(3, 3, -3, -3), colors, true);
        break;
    case BorderStyle::Line:
        qDrawPlainRect(&painter, outer, colors.color(QPalette::WindowText));
        break;
    }
}

void PicBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    drawBorder(painter);
    if (m_animator) {
        // The canvas changes from frame to frame, so nothing is kept of it.
        PreparedImage frame{m_animator->canvasForPaint(), {}};
        if (!frame.composed.isNull())
            drawComposed(painter, frame);
    } else if (m_picture) {
        drawImage(painter, m_picture->image, pictures::compositingOf(m_picture->format), m_prepared);
    }
}

void PicBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit leftButtonPressed(event->position().toPoint(), event->modifiers());
    QWidget::mousePressEvent(event);
}

// The second press of a double click is reported as a double click, which no
// handler takes; the default would turn it into another press.
void PicBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

} // namespace card_window

#include "pic_box.h"

#include "gif_animator.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace card_window {

PicBox::PicBox(QWidget *parent) : QWidget(parent), m_background(QApplication::palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The animation worker draws into this box, so it goes before anything else.
PicBox::~PicBox()
{
    m_animator.reset();
}

PicBox *PicBox::fromLayout(const LayoutEntry &, QWidget *parent)
{
    return new PicBox(parent);
}

void PicBox::setDisplayMode(DisplayMode mode)
{
    m_displayMode = mode;
    update();
}

void PicBox::setPicture(QByteArrayView bytes)
{
    m_animator.reset();
    m_pictureData = QByteArray(bytes.data(), bytes.size());
    m_picture.reset();
    const auto data = reinterpret_cast<const std::uint8_t *>(m_pictureData.constData());
    m_picture = pictures::decodePicture({data, std::size_t(m_pictureData.size())});
    if (m_picture && m_picture->animation)
        m_animator = std::make_unique<GifAnimator>(this, m_picture->animation, m_background.rgb());
    update();
}

void PicBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    if (m_animator) {
        const QRect target = m_displayMode == DisplayMode::Stretched ? rect() : QRect(QPoint(), m_animator->size());
        m_animator->paint(painter, target);
        return;
    }
    if (!m_picture || m_picture->image.isNull())
        return;
    const pictures::Image &image = m_picture->image;
    const QImage view(reinterpret_cast<const uchar *>(image.pixels.data()), image.width, image.height,
                      QImage::Format_ARGB32);
    const QRect target = m_displayMode == DisplayMode::Stretched ? rect() : QRect(0, 0, image.width, image.height);
    painter.drawImage(target, view);
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

#include "trans_label.h"

#include <QPainter>

namespace card_window {

TransLabel::TransLabel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TransLabel *TransLabel::fromLayout(const LayoutEntry &, QWidget *parent)
{
    return new TransLabel(parent);
}

void TransLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    repaint();
}

void TransLabel::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void TransLabel::paintEvent(QPaintEvent *)
{
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(m_textColor);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, m_caption);
}

} // namespace card_window

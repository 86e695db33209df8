#include "app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace card_window {

QIcon applicationIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(242, 108, 79));
    painter.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
    return QIcon(pixmap);
}

} // namespace card_window

#include "app_icon.h"

#include "assets/artwork.h"
#include "decoders.h"

#include <QImage>
#include <QPixmap>

namespace card_window {

// One 32 x 32 image with alpha; the title bar and the taskbar show it at
// 16 x 16, shrunk by averaging.
QIcon applicationIcon()
{
    const QByteArray png = artworkBytes(Artwork::AppIcon);
    const auto image = pictures::decodePng({reinterpret_cast<const std::uint8_t *>(png.constData()),
                                            std::size_t(png.size())});
    if (!image)
        return {};
    const QImage large = QImage(reinterpret_cast<const uchar *>(image->pixels.data()), image->width, image->height,
                                QImage::Format_ARGB32)
                             .copy();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(large));
    icon.addPixmap(QPixmap::fromImage(large.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

} // namespace card_window

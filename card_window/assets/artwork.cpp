#include "artwork.h"

#include <QResource>

namespace card_window {

QByteArray artworkBytes(Artwork artwork)
{
    switch (artwork) {
    case Artwork::CardPicture:
        return QResource(":/artwork/card.png").uncompressedData();
    case Artwork::Logo:
        return QResource(":/artwork/logo.png").uncompressedData();
    case Artwork::AppIcon:
        return QResource(":/artwork/app_icon.png").uncompressedData();
    }
    return {};
}

} // namespace card_window

#pragma once

#include <QByteArray>

namespace card_window {

// The built-in pictures, PNG files embedded in the program and drawn by
// tools/artwork_generator.
enum class Artwork { CardPicture, Logo, AppIcon };

QByteArray artworkBytes(Artwork artwork);

} // namespace card_window

#pragma once

#include <QString>
#include <QStringView>

namespace card_window {
class CardWindow;
}

namespace card_editing {

// The avatar picture box the field feeds, or an empty name when the field has
// no avatar binding.
QStringView avatarBindingBoxOf(QStringView fieldName);

// The file an avatar field names: the base directory (which ends with "/")
// immediately followed by the typed name, exactly as typed.
QString avatarPath(QStringView baseDirectory, QStringView typedName);

// Reads the file named by the base directory and the field's text and sets it
// as the picture of the box; anything unreadable empties the box.
void loadAvatar(card_window::CardWindow &window, QStringView fieldName, QStringView boxName,
                const QString &baseDirectory);

} // namespace card_editing

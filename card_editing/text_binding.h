#pragma once

#include <QStringView>

namespace card_window {
class CardWindow;
}

namespace card_editing {

// The overlay label the field feeds, or an empty name when the field has no
// text binding.
QStringView textBindingLabelOf(QStringView fieldName);

// Writes the field's whole text as the caption of its label.
void applyTextBinding(card_window::CardWindow &window, QStringView fieldName, QStringView labelName);

} // namespace card_editing

#pragma once

#include <QString>

namespace card_window {
class CardWindow;
class EditBox;
} // namespace card_window

namespace card_editing {

// Runs the routine the layout binds to the field's change event: a text
// binding or an avatar load.
void runFieldRoutine(card_window::CardWindow &window, card_window::EditBox &field, const QString &baseDirectory);

} // namespace card_editing

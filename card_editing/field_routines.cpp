#include "field_routines.h"

#include "card_window.h"
#include "edit_box.h"

namespace card_editing {

void runFieldRoutine(card_window::CardWindow &, card_window::EditBox &, const QString &)
{
}

} // namespace card_editing

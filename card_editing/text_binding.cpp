#include "text_binding.h"

#include "card_window.h"

namespace card_editing {

QStringView textBindingLabelOf(QStringView)
{
    return {};
}

void applyTextBinding(card_window::CardWindow &, QStringView, QStringView)
{
}

} // namespace card_editing

#include "field_routines.h"

#include "avatar_loading.h"
#include "edit_box.h"
#include "text_binding.h"

namespace card_editing {

void runFieldRoutine(card_window::CardWindow &window, card_window::EditBox &field, const QString &baseDirectory)
{
    const QString fieldName = field.objectName();
    if (const QStringView label = textBindingLabelOf(fieldName); !label.isEmpty())
        applyTextBinding(window, fieldName, label);
    else if (const QStringView box = avatarBindingBoxOf(fieldName); !box.isEmpty())
        loadAvatar(window, fieldName, box, baseDirectory);
}

} // namespace card_editing

#include "edit_box.h"

namespace card_window {

EditBox::EditBox(QWidget *parent) : QLineEdit(parent)
{
}

} // namespace card_window

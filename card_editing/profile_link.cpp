#include "profile_link.h"

namespace card_editing {

QUrl profilePageAddress()
{
    return QUrl();
}

void openProfilePage()
{
}

} // namespace card_editing

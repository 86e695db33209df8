#pragma once

#include <QUrl>

namespace card_editing {

// The maker's profile page on the forum.
QUrl profilePageAddress();

// Hands the profile page to the desktop's default handler; reports nothing.
void openProfilePage();

} // namespace card_editing

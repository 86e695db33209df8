#include "profile_link.h"

#include <QDesktopServices>

namespace card_editing {

namespace {

// The maker's page on the Qarnelo forum; a single constant, never built.
constexpr char kProfilePageAddress[] = "https://bbs.qarnelo.com/space-uid-285731.html";

} // namespace

QUrl profilePageAddress()
{
    return QUrl(QString::fromLatin1(kProfilePageAddress));
}

void openProfilePage()
{
    // Success or failure of the desktop's handler is none of the card's
    // business: nothing is retried or shown.
    QDesktopServices::openUrl(profilePageAddress());
}

} // namespace card_editing

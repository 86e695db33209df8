#pragma once

#include <QIcon>

namespace card_window {

// The application icon: one 32 x 32 image with alpha; the title bar and the
// taskbar scale it to 16 x 16.
QIcon applicationIcon();

} // namespace card_window

#pragma once

#include "card_window.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace shell {

// The system's two globals; both start missing and the exit routine
// releases them once the event loop has ended.
struct Globals {
    std::optional<QString> baseDirectory;
    std::optional<QByteArray> titleCopy;
};
Globals &globals();

// Starts the application, builds and shows the card window and runs the event
// loop; returns the exit status. A window that cannot be built ends the
// process through the fatal error report.
int runCardApplication(int argc, char **argv, const card_window::ControlCreationCheck &canCreate = {});

} // namespace shell

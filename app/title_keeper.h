#pragma once

#include <QByteArray>

#include <optional>

namespace card_window {
class CardWindow;
}

namespace shell {

// The timer tick: writes the window caption and the help label's caption
// where they differ from the fixed title and help text.
void keepTitleAndHelpText(card_window::CardWindow &window, std::optional<QByteArray> &titleCopy);

} // namespace shell

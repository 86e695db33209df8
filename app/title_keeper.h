#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace card_window {
class CardWindow;
}

namespace shell {

// The window title as bytes (UTF-8, no terminating zero) and the help text of
// the help label, three lines joined by CR LF.
QByteArrayView titleBytes();
QStringView helpText();

// "Byte array to text": the bytes up to, not including, the first zero byte.
QString textOfBytes(QByteArrayView bytes);

// The timer tick: renews the title copy, then writes the window caption and the
// help label's caption only where they differ from the title and help text, so
// once both are in place a tick writes and repaints nothing.
void keepTitleAndHelpText(card_window::CardWindow &window, std::optional<QByteArray> &titleCopy);

} // namespace shell

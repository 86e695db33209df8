#pragma once

#include <QByteArray>
#include <QString>

namespace card_editing {

// All bytes of the regular file at path, or an empty array on any failure:
// no such file, not a regular file, no permission, a length of 0 or of 2 GiB
// and more, a read error. Never blocks on FIFOs or devices and reports nothing.
QByteArray readWholeFile(const QString &path);

} // namespace card_editing

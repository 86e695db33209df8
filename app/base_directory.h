#pragma once

#include <QString>

namespace shell {

// The directory of the program file: the path cut at its last separator,
// without it; empty when the path has no separator.
QString runDirectoryOf(const QString &programPath);

// The run directory followed by "/".
QString baseDirectoryOf(const QString &programPath);

} // namespace shell

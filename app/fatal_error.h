#pragma once

#include <QString>

#include <functional>

namespace shell {

// The error box text: "运行时出错!", then the optional code and message lines.
QString fatalErrorText(const QString &message, int errorCode = 0);

// Shows the error box and ends the process with status -1; the exit routine
// does not run.
[[noreturn]] void reportFatalError(const QString &message, int errorCode = 0);

// True once a fatal error is being reported: from then on no handler of the
// system runs.
bool fatalErrorReported();

// The report of memory refused for one of the system's values.
[[noreturn]] void reportOutOfMemory(qsizetype bytes);

// Test seam: called instead of showing the box and ending the process. It must
// not return (a test throws from it).
using FatalErrorPresenter = std::function<void(const QString &title, const QString &text)>;
void setFatalErrorPresenter(FatalErrorPresenter presenter);

} // namespace shell

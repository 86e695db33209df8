#include "startup.h"

#include "base_directory.h"
#include "edit_box.h"
#include "fatal_error.h"
#include "field_routines.h"
#include "profile_link.h"
#include "title_keeper.h"

#include <QApplication>
#include <QDir>

#include <cstdlib>

namespace shell {

namespace {

void exitRoutine()
{
    globals().baseDirectory.reset();
    globals().titleCopy.reset();
}

// The program writes nothing to the terminal, whatever the platform says.
void dropMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

card_window::CardWindowHandlers handlers(const QString &programPath)
{
    card_window::CardWindowHandlers bound;
    bound.created = [programPath](card_window::CardWindow &) {
        globals().baseDirectory = baseDirectoryOf(programPath);
    };
    bound.changed = [](card_window::CardWindow &window, card_window::EditBox &field) {
        card_editing::runFieldRoutine(window, field, globals().baseDirectory.value_or(QString()));
    };
    bound.tick = [](card_window::CardWindow &window) { keepTitleAndHelpText(window, globals().titleCopy); };
    bound.logoPressed = [](card_window::CardWindow &) { card_editing::openProfilePage(); };
    return bound;
}

} // namespace

Globals &globals()
{
    static Globals instance;
    return instance;
}

int runCardApplication(int argc, char **argv, const card_window::ControlCreationCheck &canCreate)
{
    qInstallMessageHandler(dropMessage);
    // The command line is ignored: Qt would otherwise take options such as
    // -stylesheet, -reverse or -qwindowgeometry from it. Only the program's
    // own name is passed on.
    int programNameOnly = argc > 0 ? 1 : 0;
    QApplication application(programNameOnly, argv);

    const QString programPath = QCoreApplication::applicationFilePath();
    QDir::setCurrent(baseDirectoryOf(programPath));
    globals() = {};
    std::atexit(exitRoutine);

    std::unique_ptr<card_window::CardWindow> window =
        card_window::CardWindow::buildAndShow(handlers(programPath), canCreate);
    if (!window)
        reportFatalError(QStringLiteral("载入启动窗口失败"));
    const int status = QApplication::exec();
    window.reset();
    return status;
}

} // namespace shell

#include "fatal_error.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>

namespace shell {

namespace {

FatalErrorPresenter &presenter()
{
    static FatalErrorPresenter instance;
    return instance;
}

bool g_fatalErrorReported = false;

} // namespace

QString fatalErrorText(const QString &message, int errorCode)
{
    QString text = QStringLiteral("运行时出错!\r\n\r\n");
    if (errorCode != 0)
        text += QStringLiteral("错误代码：%1\r\n\r\n").arg(errorCode);
    if (!message.isEmpty())
        text += QStringLiteral("错误信息：") + message + QStringLiteral("\r\n");
    return text;
}

void setFatalErrorPresenter(FatalErrorPresenter newPresenter)
{
    presenter() = std::move(newPresenter);
}

bool fatalErrorReported()
{
    return g_fatalErrorReported;
}

void reportFatalError(const QString &message, int errorCode)
{
    g_fatalErrorReported = true;
    const QString title = QStringLiteral("错误");
    const QString text = fatalErrorText(message, errorCode);
    if (presenter()) {
        presenter()(title, text);
        std::abort(); // a presenter that returns breaks its contract
    }
    // The box runs an event loop of its own; the windows behind it take no
    // input and their handlers no longer run (fatalErrorReported).
    if (QApplication::instance()) {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows)
            window->setEnabled(false);
        QMessageBox::critical(nullptr, title, text, QMessageBox::Ok);
    }
    std::_Exit(-1);
}

void reportOutOfMemory(qsizetype bytes)
{
    reportFatalError(QStringLiteral("分配 %1 字节内存失败!").arg(bytes));
}

} // namespace shell

#include "base_directory.h"
#include "fatal_error.h"
#include "system_values.h"

#include <QTest>

namespace {

struct FatalErrorRaised {
    QString title;
    QString text;
};

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        shell::setFatalErrorPresenter(
            [](const QString &title, const QString &text) { throw FatalErrorRaised{title, text}; });
    }

    void cleanup()
    {
        shell::setFatalErrorPresenter({});
        shell::setAllocationRefusal({});
    }

    void baseDirectory_data()
    {
        QTest::addColumn<QString>("programPath");
        QTest::addColumn<QString>("runDirectory");
        QTest::addColumn<QString>("baseDirectory");
        QTest::newRow("nested") << "/opt/tools/card/rating-card" << "/opt/tools/card" << "/opt/tools/card/";
        QTest::newRow("root-level program") << "/rating-card" << "" << "/";
        QTest::newRow("no separator") << "rating-card" << "" << "/";
        QTest::newRow("directory named with 淺") << "/home/u/淺草/rating-card" << "/home/u/淺草" << "/home/u/淺草/";
        QTest::newRow("name ending in 淺") << "/home/淺/rating-card" << "/home/淺" << "/home/淺/";
        QTest::newRow("spaces kept") << "/a b/c /rating-card" << "/a b/c " << "/a b/c /";
    }

    void baseDirectory()
    {
        QFETCH(QString, programPath);
        QFETCH(QString, runDirectory);
        QFETCH(QString, baseDirectory);
        QCOMPARE(shell::runDirectoryOf(programPath), runDirectory);
        QCOMPARE(shell::baseDirectoryOf(programPath), baseDirectory);
    }

    void fatalErrorText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("window build") << "载入启动窗口失败" << 0
                                      << "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n";
        QTest::newRow("layout data") << "载入窗口模板数据段出错!" << 0
                                     << "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n";
        QTest::newRow("memory") << "分配 1024 字节内存失败!" << 0
                                << "运行时出错!\r\n\r\n错误信息：分配 1024 字节内存失败!\r\n";
        QTest::newRow("with a code") << "载入启动窗口失败" << 5
                                     << "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：载入启动窗口失败\r\n";
        QTest::newRow("negative code") << "x" << -3 << "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n错误信息：x\r\n";
        QTest::newRow("no message") << "" << 0 << "运行时出错!\r\n\r\n";
    }

    void fatalErrorText()
    {
        QFETCH(QString, message);
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(shell::fatalErrorText(message, code), text);
    }

    void refusedMemoryEndsInTheErrorBox_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("message");
        // Texts count UTF-16 code units and the terminating zero.
        QTest::newRow("text copy") << 0 << "分配 8 字节内存失败!";
        QTest::newRow("join") << 1 << "分配 16 字节内存失败!";
        QTest::newRow("byte array copy") << 2 << "分配 5 字节内存失败!";
    }

    void refusedMemoryEndsInTheErrorBox()
    {
        QFETCH(int, operation);
        QFETCH(QString, message);
        shell::setAllocationRefusal([](qsizetype) { return true; });
        try {
            switch (operation) {
            case 0:
                shell::copyText(u"abc");
                break;
            case 1:
                shell::joinTexts({u"/tmp/", u"me"});
                break;
            default:
                shell::copyBytes("12345");
                break;
            }
            QFAIL("the refused request returned");
        } catch (const FatalErrorRaised &raised) {
            QCOMPARE(raised.title, QStringLiteral("错误"));
            QCOMPARE(raised.text, shell::fatalErrorText(message));
        }
    }

    void valuesAreCopiedWhenMemoryIsThere()
    {
        QCOMPARE(shell::joinTexts({u"a", u"", u"b/"}), QStringLiteral("ab/"));
        QCOMPARE(shell::copyBytes(QByteArrayView("x\0y", 3)), QByteArray("x\0y", 3));
        QCOMPARE(shell::copyText(u""), QString());
    }
};

QTEST_GUILESS_MAIN(ShellTest)
#include "test_shell.moc"

#include "card_fixture.h"
#include "title_keeper.h"
#include "trans_label.h"

#include <QtTest>

#include <malloc.h>

using card_window::TransLabel;

namespace {

const QString kExpectedTitle = QStringLiteral("Qarnelo论坛签名档评分图片生成器 - By：Morvane");
const QString kExpectedHelp = QStringLiteral("图片请放在软件目录下，输入完整文件名（含后缀），即改即生效。\r\n"
                                             "修改完直接截图即可，QQ截图默认快捷键为Ctrl+Alt+A。\r\n"
                                             "[Qarnelo] Morvane 制作。");

// Counts the events of one type a widget receives.
class EventCounter : public QObject {
public:
    EventCounter(QWidget *widget, QEvent::Type type) : m_type(type) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

} // namespace

class TitleKeeperTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void textOfBytes_data();
    void textOfBytes();
    void emptyUntilTheFirstTick();
    void firstTickWritesTitleAndHelpText();
    void outsideWriteUndoneByTheNextTick_data();
    void outsideWriteUndoneByTheNextTick();
    void laterTicksRepaintNothing();
    void ticksDoNotGrowMemory();

private:
    TransLabel *helpLabel() const { return m_card->window->control<TransLabel>(u"透明标签25"); }
    void waitForTicks(int count);

    std::unique_ptr<card_test::CardFixture> m_card;
};

void TitleKeeperTest::init()
{
    shell::globals() = {};
    m_card = card_test::buildCardWindow();
    QVERIFY(m_card->window);
}

void TitleKeeperTest::cleanup()
{
    m_card.reset();
    shell::globals() = {};
}

void TitleKeeperTest::waitForTicks(int count)
{
    const int target = m_card->ticks + count;
    QTRY_VERIFY_WITH_TIMEOUT(m_card->ticks >= target, 10000);
}

void TitleKeeperTest::textOfBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zero first") << QByteArray("\0abc", 4) << QString();
    QTest::newRow("stops at the first zero") << QByteArray("ab\0cd\0", 6) << "ab";
    QTest::newRow("no zero") << QByteArray("abc") << "abc";
    QTest::newRow("the title") << kExpectedTitle.toUtf8() << kExpectedTitle;
}

void TitleKeeperTest::textOfBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(shell::textOfBytes(bytes), text);
}

void TitleKeeperTest::emptyUntilTheFirstTick()
{
    QCOMPARE(m_card->ticks, 0);
    QCOMPARE(m_card->window->caption(), QString());
    QCOMPARE(helpLabel()->caption(), QString());
    QVERIFY(!shell::globals().titleCopy);
}

void TitleKeeperTest::firstTickWritesTitleAndHelpText()
{
    waitForTicks(1);
    QCOMPARE(m_card->window->caption(), kExpectedTitle);
    QCOMPARE(m_card->window->windowTitle(), kExpectedTitle);
    QCOMPARE(helpLabel()->caption(), kExpectedHelp);
    QCOMPARE(shell::globals().titleCopy, std::optional<QByteArray>(kExpectedTitle.toUtf8()));
    QCOMPARE(shell::titleBytes(), QByteArrayView(kExpectedTitle.toUtf8()));
}

void TitleKeeperTest::outsideWriteUndoneByTheNextTick_data()
{
    QTest::addColumn<bool>("windowCaption");
    QTest::newRow("window caption") << true;
    QTest::newRow("help label caption") << false;
}

void TitleKeeperTest::outsideWriteUndoneByTheNextTick()
{
    QFETCH(bool, windowCaption);
    waitForTicks(1);
    if (windowCaption)
        m_card->window->setCaption(QStringLiteral("another title"));
    else
        helpLabel()->setCaption(QStringLiteral("another help text"));
    waitForTicks(1);
    QCOMPARE(m_card->window->caption(), kExpectedTitle);
    QCOMPARE(m_card->window->windowTitle(), kExpectedTitle);
    QCOMPARE(helpLabel()->caption(), kExpectedHelp);
}

void TitleKeeperTest::laterTicksRepaintNothing()
{
    waitForTicks(1);
    QCoreApplication::processEvents();
    EventCounter helpPaints(helpLabel(), QEvent::Paint);
    EventCounter titleChanges(m_card->window.get(), QEvent::WindowTitleChange);
    waitForTicks(100);
    QCOMPARE(helpPaints.count, 0);
    QCOMPARE(titleChanges.count, 0);
}

void TitleKeeperTest::ticksDoNotGrowMemory()
{
    // Warm up whatever Qt caches on the first calls, then compare the bytes
    // the allocator holds across many ticks.
    for (int tick = 0; tick < 100; ++tick)
        shell::keepTitleAndHelpText(*m_card->window, shell::globals().titleCopy);
    const std::size_t before = mallinfo2().uordblks;
    for (int tick = 0; tick < 20000; ++tick)
        shell::keepTitleAndHelpText(*m_card->window, shell::globals().titleCopy);
    const std::size_t after = mallinfo2().uordblks;
    QVERIFY2(after <= before + 1024, qPrintable(QStringLiteral("%1 bytes more").arg(qint64(after - before))));
    QCOMPARE(shell::globals().titleCopy, std::optional<QByteArray>(kExpectedTitle.toUtf8()));
}

QTEST_MAIN(TitleKeeperTest)
#include "test_title_keeper.moc"

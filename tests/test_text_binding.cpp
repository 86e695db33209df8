#include "card_fixture.h"
#include "edit_box.h"
#include "text_binding.h"
#include "trans_label.h"

#include <QClipboard>
#include <QtTest>

using card_window::EditBox;
using card_window::TransLabel;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TextBindingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void eachFieldFeedsOnlyItsLabel_data();
    void eachFieldFeedsOnlyItsLabel();
    void fieldsWithoutTextBinding_data();
    void fieldsWithoutTextBinding();
    void textPassedUnchanged_data();
    void textPassedUnchanged();
    void oneWritePerKeystroke();
    void pasteOverSelectionWritesOnce();
    void clearedNicknameLeavesTheCard();
    void longReasonPassedWhole();

private:
    EditBox *field(QStringView name) const { return m_card->window->control<EditBox>(name); }
    TransLabel *label(QStringView name) const { return m_card->window->control<TransLabel>(name); }
    QList<TransLabel *> allLabels() const { return m_card->window->findChildren<TransLabel *>(); }

    std::unique_ptr<card_test::CardFixture> m_card;
};

void TextBindingTest::init()
{
    m_card = card_test::buildCardWindow();
    QVERIFY(m_card->window);
    QVERIFY(QTest::qWaitForWindowExposed(m_card->window.get()));
    // The first tick fills the help label; no tick writes anything later.
    QTRY_VERIFY(m_card->ticks > 0);
}

void TextBindingTest::cleanup()
{
    m_card.reset();
}

void TextBindingTest::eachFieldFeedsOnlyItsLabel_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    const char *columns[] = {"nickname", "coin", "heat", "reason"};
    const int fields[4][6] = {{1, 2, 3, 4, 5, 6}, {12, 11, 10, 9, 8, 7}, {18, 17, 16, 15, 14, 13}, {24, 23, 22, 21, 20, 19}};
    const int labels[4][6] = {{13, 14, 15, 16, 17, 18}, {1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {20, 19, 21, 22, 23, 24}};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 6; ++row) {
            QTest::addRow("row %d %s: 编辑框%d to 透明标签%d", row + 1, columns[column], fields[column][row],
                          labels[column][row])
                << QStringLiteral("编辑框%1").arg(fields[column][row]) << QStringLiteral("透明标签%1").arg(labels[column][row]);
        }
    }
}

void TextBindingTest::eachFieldFeedsOnlyItsLabel()
{
    QFETCH(QString, field);
    QFETCH(QString, label);
    EditBox *typedInto = this->field(field);
    typedInto->setFocus();
    QCoreApplication::processEvents();
    QHash<TransLabel *, QString> before;
    for (TransLabel *each : allLabels())
        before.insert(each, each->caption());
    const QImage pixelsBefore = card_test::backingStorePixels(m_card->window.get());

    const QString text = QStringLiteral("t") + field.mid(3);
    QTest::keyClicks(typedInto, text);
    QCoreApplication::processEvents();

    TransLabel *bound = this->label(label);
    QCOMPARE(bound->caption(), text);
    for (TransLabel *each : allLabels()) {
        if (each != bound)
            QCOMPARE(each->caption(), before.value(each));
    }
    // On the screen only the field and its label changed.
    const QRect allowed[] = {card_test::windowRectOf(typedInto), card_test::windowRectOf(bound)};
    const QImage pixelsAfter = card_test::backingStorePixels(m_card->window.get());
    bool labelChanged = false;
    for (int y = 0; y < pixelsAfter.height(); ++y) {
        for (int x = 0; x < pixelsAfter.width(); ++x) {
            if (pixelsAfter.pixel(x, y) == pixelsBefore.pixel(x, y))
                continue;
            QVERIFY2(allowed[0].contains(x, y) || allowed[1].contains(x, y),
                     qPrintable(QStringLiteral("changed at %1,%2").arg(x).arg(y)));
            labelChanged = labelChanged || allowed[1].contains(x, y);
        }
    }
    QVERIFY(labelChanged);
    QCOMPARE(m_card->changeEvents, text.size());
}

void TextBindingTest::fieldsWithoutTextBinding_data()
{
    QTest::addColumn<QString>("field");
    for (int number = 25; number <= 30; ++number)
        QTest::addRow("avatar field 编辑框%d", number) << QStringLiteral("编辑框%1").arg(number);
    QTest::newRow("a label") << "透明标签1";
    QTest::newRow("no name") << "";
}

void TextBindingTest::fieldsWithoutTextBinding()
{
    QFETCH(QString, field);
    QVERIFY(card_editing::textBindingLabelOf(field).isEmpty());
}

void TextBindingTest::textPassedUnchanged_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::newRow("spaces kept in a nickname") << "编辑框1" << "  Kite " << "透明标签13";
    QTest::newRow("letters in a heat field") << "编辑框17" << "abc" << "透明标签8";
    QTest::newRow("no prefix on a coin") << "编辑框12" << "-5" << "透明标签1";
    QTest::newRow("ampersand passed on") << "编辑框23" << "a&b" << "透明标签19";
}

void TextBindingTest::textPassedUnchanged()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    this->field(field)->setFocus();
    QTest::keyClicks(this->field(field), typed);
    QCOMPARE(this->label(label)->caption(), typed);
}

void TextBindingTest::oneWritePerKeystroke()
{
    EditBox *coin = field(u"编辑框11");
    TransLabel *coinLabel = label(u"透明标签2");
    coin->setFocus();
    QCoreApplication::processEvents();
    PaintCounter counter(coinLabel);
    QTest::keyClick(coin, Qt::Key_8);
    // The label is repainted before the keystroke's handling returns.
    QCOMPARE(counter.paints, 1);
    QCOMPARE(coinLabel->caption(), QStringLiteral("8"));
    QTest::keyClick(coin, Qt::Key_8);
    QCOMPARE(counter.paints, 2);
    QCOMPARE(coinLabel->caption(), QStringLiteral("88"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 2);
}

void TextBindingTest::pasteOverSelectionWritesOnce()
{
    EditBox *reason = field(u"编辑框24");
    reason->setFocus();
    QTest::keyClicks(reason, "old reason");
    QApplication::clipboard()->setText(QStringLiteral("新的理由"));
    PaintCounter counter(label(u"透明标签20"));
    QTest::keyClick(reason, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(reason, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(counter.paints, 1);
    QCOMPARE(label(u"透明标签20")->caption(), QStringLiteral("新的理由"));
}

void TextBindingTest::clearedNicknameLeavesTheCard()
{
    TransLabel *nickname = label(u"透明标签16");
    const QRect rect = card_test::windowRectOf(nickname);
    nickname->hide();
    m_card->window->repaint();
    const QImage cardOnly = card_test::backingStorePixels(m_card->window.get(), rect);
    nickname->show();
    m_card->window->repaint();

    EditBox *field = this->field(u"编辑框4");
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Q);
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(nickname->caption(), QString());
    QCOMPARE(card_test::backingStorePixels(m_card->window.get(), rect), cardOnly);
}

void TextBindingTest::longReasonPassedWhole()
{
    EditBox *reason = field(u"编辑框24");
    reason->setFocus();
    const QString text = QStringLiteral("a reason far longer than its label ").repeated(20);
    QTest::keyClicks(reason, text);
    QCOMPARE(reason->text(), text);
    QCOMPARE(label(u"透明标签20")->caption(), text);
}

QTEST_MAIN(TextBindingTest)
#include "test_text_binding.moc"

#include "card_fixture.h"
#include "edit_box.h"
#include "trans_label.h"

#include <QClipboard>
#include <QTestEventList>
#include <QtTest>

using card_window::EditBox;

class EditBoxTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void noChangeEventWhileBuilding();
    void changeEvents_data();
    void changeEvents();
    void tabCycle_data();
    void tabCycle();
    void tabbingInNeverSelectsAll();
    void selectionHiddenWhileUnfocused();
    void focusRememberedAcrossDeactivation();
    void pressesOnTheFrameKeepTheCaret_data();
    void pressesOnTheFrameKeepTheCaret();
    void textLineDrawnInsideEditingArea();
    void minimumHeight();
    void sunkenEdgeAndWhiteInside();
    void accessibleNames_data();
    void accessibleNames();

private:
    EditBox *field(const char *name) const;
    QWidget *focused() const { return QApplication::focusWidget(); }

    std::unique_ptr<card_test::CardFixture> m_card;
};

void EditBoxTest::init()
{
    m_card = card_test::buildCardWindow();
    QVERIFY(m_card->window);
    QVERIFY(QTest::qWaitForWindowActive(m_card->window.get()));
}

void EditBoxTest::cleanup()
{
    m_card.reset();
}

EditBox *EditBoxTest::field(const char *name) const
{
    return m_card->window->control<EditBox>(QString::fromUtf8(name));
}

void EditBoxTest::noChangeEventWhileBuilding()
{
    QCOMPARE(m_card->changeEvents, 0);
    QCOMPARE(focused(), field("编辑框1"));
    for (EditBox *box : m_card->window->tabOrder()) {
        QVERIFY(box->text().isEmpty());
        QVERIFY(!box->hasSelectedText());
        QCOMPARE(box->cursorPosition(), 0);
    }
    QCOMPARE(m_card->window->control<card_window::TransLabel>(u"透明标签2")->caption(), QStringLiteral("+ 9999"));
}

void EditBoxTest::changeEvents_data()
{
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<int>("expectedEvents");
    QTest::addColumn<QString>("expectedText");

    QTestEventList typed;
    typed.addKeyClicks("8a");
    QTest::newRow("one per typed character") << typed << 2 << "8a";

    QTestEventList replaced;
    replaced.addKeyClicks("abc");
    replaced.addKeyClick(Qt::Key_A, Qt::ControlModifier);
    replaced.addKeyClick(Qt::Key_X);
    QTest::newRow("select all and type") << replaced << 4 << "x";

    QTestEventList pasted;
    pasted.addKeyClick(Qt::Key_V, Qt::ControlModifier);
    QTest::newRow("paste") << pasted << 1 << "粘贴的 text";

    QTestEventList undone;
    undone.addKeyClicks("ab");
    undone.addKeyClick(Qt::Key_Z, Qt::ControlModifier);
    QTest::newRow("undo") << undone << 3 << "";

    QTestEventList cut;
    cut.addKeyClicks("ab");
    cut.addKeyClick(Qt::Key_Left, Qt::ShiftModifier);
    cut.addKeyClick(Qt::Key_X, Qt::ControlModifier);
    QTest::newRow("cut") << cut << 3 << "a";

    QTestEventList deleted;
    deleted.addKeyClicks("ab");
    deleted.addKeyClick(Qt::Key_Home);
    deleted.addKeyClick(Qt::Key_Delete);
    deleted.addKeyClick(Qt::Key_End);
    deleted.addKeyClick(Qt::Key_Backspace);
    QTest::newRow("delete and backspace") << deleted << 4 << "";

    QTestEventList moves;
    moves.addKeyClicks("ab");
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Shift})
        moves.addKeyClick(key);
    moves.addKeyClick(Qt::Key_Home, Qt::ShiftModifier);
    moves.addKeyClick(Qt::Key_C, Qt::ControlModifier);
    QTest::newRow("caret and selection moves, copy") << moves << 2 << "ab";

    QTestEventList nothingChanges;
    nothingChanges.addKeyClick(Qt::Key_Backspace);
    nothingChanges.addKeyClick(Qt::Key_Delete);
    nothingChanges.addKeyClick(Qt::Key_Z, Qt::ControlModifier);
    nothingChanges.addKeyClick(Qt::Key_Return);
    QTest::newRow("keys that change nothing") << nothingChanges << 0 << "";

    QTestEventList tabbing;
    tabbing.addKeyClick(Qt::Key_Tab);
    tabbing.addKeyClick(Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::newRow("tab away and back") << tabbing << 0 << "";
}

void EditBoxTest::changeEvents()
{
    QFETCH(QTestEventList, events);
    QFETCH(int, expectedEvents);
    QFETCH(QString, expectedText);

    QApplication::clipboard()->setText(QStringLiteral("粘贴的 text"));
    EditBox *coin = field("编辑框11");
    coin->setFocus();
    QCOMPARE(focused(), coin);
    // Tab goes to the window's filter, so every event goes to the focused field.
    for (QTestEvent *event : events)
        event->simulate(focused());
    QCOMPARE(m_card->changeEvents, expectedEvents);
    QCOMPARE(coin->text(), expectedText);
}

void EditBoxTest::tabCycle_data()
{
    QTest::addColumn<bool>("forward");
    QTest::newRow("Tab") << true;
    QTest::newRow("Shift+Tab") << false;
}

void EditBoxTest::tabCycle()
{
    QFETCH(bool, forward);
    QStringList expected;
    for (int number : {1, 2, 3, 4, 5, 6, 12, 11, 10, 9, 8, 7, 18, 17, 16, 15, 14, 13, 24, 23, 22, 21, 20, 19, 30,
                       29, 28, 27, 26, 25})
        expected.append(QStringLiteral("编辑框%1").arg(number));
    if (!forward)
        std::reverse(expected.begin() + 1, expected.end());
    expected.append(expected.first());

    QStringList visited{focused()->objectName()};
    for (int step = 0; step < 30; ++step) {
        if (forward)
            QTest::keyClick(focused(), Qt::Key_Tab);
        else
            QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
        visited.append(focused()->objectName());
    }
    QCOMPARE(visited, expected);
    QCOMPARE(m_card->changeEvents, 0);
}

void EditBoxTest::tabbingInNeverSelectsAll()
{
    QTest::keyClicks(focused(), "first");
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClicks(focused(), "second");
    QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    EditBox *nickname = field("编辑框1");
    QCOMPARE(focused(), nickname);
    QVERIFY(!nickname->hasSelectedText());
    QCOMPARE(nickname->cursorPosition(), 5);
}

void EditBoxTest::selectionHiddenWhileUnfocused()
{
    EditBox *nickname = field("编辑框1");
    QTest::keyClicks(nickname, "hello");
    QTest::keyClick(nickname, Qt::Key_Left);
    QTest::keyClick(nickname, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(nickname, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(nickname->selectedText(), QStringLiteral("ll"));

    QTest::keyClick(nickname, Qt::Key_Tab);
    QVERIFY(!nickname->hasSelectedText());

    QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focused(), nickname);
    QCOMPARE(nickname->selectedText(), QStringLiteral("ll"));
    // The caret is back at the start of a selection made leftwards, so
    // extending it goes on leftwards.
    QCOMPARE(nickname->cursorPosition(), 2);
    QTest::keyClick(nickname, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(nickname->selectedText(), QStringLiteral("ell"));
    QCOMPARE(m_card->changeEvents, 5);
}

void EditBoxTest::focusRememberedAcrossDeactivation()
{
    EditBox *coin = field("编辑框11");
    coin->setFocus();
    QTest::keyClicks(coin, "88");
    QTest::keyClick(coin, Qt::Key_Home, Qt::ShiftModifier);

    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!coin->hasSelectedText());

    m_card->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_card->window.get()));
    QCOMPARE(focused(), coin);
    QCOMPARE(coin->selectedText(), QStringLiteral("88"));
    QCOMPARE(m_card->changeEvents, 2);
}

void EditBoxTest::pressesOnTheFrameKeepTheCaret_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("caretMoves");

    QTest::newRow("21 high, top edge") << 21 << 0 << false;
    QTest::newRow("21 high, bottom edge") << 21 << 20 << false;
    QTest::newRow("21 high, text line") << 21 << 10 << true;
    QTest::newRow("41 high, band above the line") << 41 << 5 << false;
    QTest::newRow("41 high, band below the line") << 41 << 35 << false;
    QTest::newRow("41 high, text line") << 41 << 20 << true;
}

void EditBoxTest::pressesOnTheFrameKeepTheCaret()
{
    QFETCH(int, height);
    QFETCH(int, y);
    QFETCH(bool, caretMoves);

    EditBox *reason = field("编辑框24");
    reason->resize(reason->width(), height);
    reason->setFocus();
    QTest::keyClicks(reason, "some words here");
    const int end = reason->cursorPosition();

    const QPoint nearStart(8, y);
    QTest::mouseClick(reason, Qt::LeftButton, {}, nearStart);
    QCOMPARE(reason->cursorPosition() != end, caretMoves);
    // Dragging from the press does not select either.
    QTest::mousePress(reason, Qt::LeftButton, {}, nearStart);
    QTest::mouseMove(reason, QPoint(reason->width() - 8, y));
    QTest::mouseRelease(reason, Qt::LeftButton, {}, QPoint(reason->width() - 8, y));
    QCOMPARE(reason->hasSelectedText(), caretMoves);
    QTest::mouseDClick(reason, Qt::LeftButton, {}, nearStart);
    QCOMPARE(reason->hasSelectedText(), caretMoves);
}

void EditBoxTest::textLineDrawnInsideEditingArea()
{
    EditBox *reason = field("编辑框24");
    reason->resize(reason->width(), 41);
    const QImage empty = reason->grab().toImage();
    card_test::typeText(reason, u"Wgjy|吴");
    const QImage typed = reason->grab().toImage();

    const QRect line = reason->editingRect();
    QCOMPARE(line.top(), 2 + (37 - line.height()) / 2);
    int inkTop = -1;
    int inkBottom = -1;
    for (int y = 0; y < typed.height(); ++y) {
        for (int x = 0; x < typed.width(); ++x) {
            if (typed.pixel(x, y) != empty.pixel(x, y)) {
                if (inkTop < 0)
                    inkTop = y;
                inkBottom = y;
                break;
            }
        }
    }
    QVERIFY(inkTop >= line.top());
    QVERIFY(inkBottom <= line.bottom());
    // Centred by the line height: the ink is not pushed to either end.
    QVERIFY(inkTop > 2 + 4);
    QVERIFY(inkBottom < 41 - 2 - 4);
}

void EditBoxTest::minimumHeight()
{
    EditBox box;
    const int least = box.fontMetrics().boundingRect(QStringLiteral("吴")).height() + 4;
    box.setGeometry(10, 20, 72, 8);
    QCOMPARE(box.geometry(), QRect(10, 20, 72, least));
    // The layout's 21-pixel fields keep their height with the card's face.
    QVERIFY(least <= 21);
    for (EditBox *laidOut : m_card->window->tabOrder())
        QCOMPARE(laidOut->height(), 21);
}

void EditBoxTest::sunkenEdgeAndWhiteInside()
{
    EditBox *coin = field("编辑框11");
    QCOMPARE(coin->cursor().shape(), Qt::IBeamCursor);
    // Not focused, so no caret is drawn.
    const QImage pixels = card_test::backingStorePixels(m_card->window.get(), card_test::windowRectOf(coin));
    const int right = pixels.width() - 1;
    const int bottom = pixels.height() - 1;
    QCOMPARE(QColor(pixels.pixel(0, 0)), QColor(128, 128, 128));
    QCOMPARE(QColor(pixels.pixel(1, 1)), QColor(64, 64, 64));
    QCOMPARE(QColor(pixels.pixel(right, bottom)), QColor(Qt::white));
    QCOMPARE(QColor(pixels.pixel(right - 1, bottom - 1)), QApplication::palette().color(QPalette::Button));
    for (int y = 2; y < bottom - 1; ++y) {
        for (int x = 2; x < right - 1; ++x)
            QCOMPARE(QColor(pixels.pixel(x, y)), QColor(Qt::white));
    }
}

void EditBoxTest::accessibleNames_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::newRow("avatar, row 1") << "编辑框30" << "第1行 图标";
    QTest::newRow("nickname, row 1") << "编辑框1" << "第1行 昵称";
    QTest::newRow("coin, row 2") << "编辑框11" << "第2行 Qarnelo币";
    QTest::newRow("heat, row 6") << "编辑框13" << "第6行 热心值";
    QTest::newRow("reason, row 5") << "编辑框20" << "第5行 理由";
}

void EditBoxTest::accessibleNames()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    QCOMPARE(m_card->window->control<EditBox>(field)->accessibleName(), name);

    QSet<QString> names;
    for (EditBox *box : m_card->window->tabOrder())
        names.insert(box->accessibleName());
    QCOMPARE(names.size(), 30);
}

QTEST_MAIN(EditBoxTest)
#include "test_edit_box.moc"

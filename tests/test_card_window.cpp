#include "card_window.h"
#include "edit_box.h"
#include "layout_table.h"
#include "pic_box.h"
#include "trans_label.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace card_window;

namespace {

QString nameOf(const LayoutEntry &entry)
{
    return QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
}

bool hasKind(QObject *control, ControlKind kind)
{
    switch (kind) {
    case ControlKind::Timer:
        return qobject_cast<QTimer *>(control);
    case ControlKind::EditBox:
        return qobject_cast<EditBox *>(control);
    case ControlKind::TransLabel:
        return qobject_cast<TransLabel *>(control);
    case ControlKind::PicBox:
        return qobject_cast<PicBox *>(control);
    }
    return false;
}

} // namespace

class CardWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_createdRuns = 0;
        m_changes = 0;
        m_windowVisibleWhenCreated = true;
        CardWindowHandlers handlers;
        handlers.created = [this](CardWindow &window) {
            ++m_createdRuns;
            m_windowVisibleWhenCreated = window.isVisible();
        };
        handlers.changed = [this](CardWindow &, EditBox &) { ++m_changes; };
        m_window = CardWindow::buildAndShow(std::move(handlers));
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void controlTreeMatchesLayout()
    {
        QCOMPARE(m_window->size(), QSize(625, 600));
        for (const LayoutEntry &entry : kLayout) {
            const QString name = nameOf(entry);
            QObject *control = m_window->findControl(name);
            QVERIFY2(control, qPrintable(name));
            QVERIFY2(hasKind(control, entry.kind), qPrintable(name));
            QCOMPARE(control->objectName(), name);
            const QString parentName = entry.parent.empty()
                ? QString()
                : QString::fromUtf8(entry.parent.data(), qsizetype(entry.parent.size()));
            QObject *expectedParent = parentName.isEmpty() ? m_window.get() : m_window->findControl(parentName);
            QCOMPARE(control->parent(), expectedParent);
            auto *widget = qobject_cast<QWidget *>(control);
            if (!widget) {
                QCOMPARE(entry.kind, ControlKind::Timer);
                continue;
            }
            QCOMPARE(widget->geometry(), QRect(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height));
            QCOMPARE(widget->isVisible(), entry.shown);
            QCOMPARE(widget->focusPolicy() != Qt::NoFocus, entry.kind == ControlKind::EditBox);
        }
    }

    void childrenOfTheCardPictureSitInLineWithTheirRows()
    {
        const auto *avatar = m_window->control<QWidget>(u"图片框2");
        const auto *coin = m_window->control<QWidget>(u"透明标签1");
        QCOMPARE(avatar->mapTo(m_window.get(), QPoint(0, 0)), QPoint(22, 96));
        QCOMPARE(coin->mapTo(m_window.get(), QPoint(0, 0)), QPoint(146, 99));
    }

    void siblingsAreStackedInTableOrder()
    {
        // QObject::children() lists siblings bottom-most first.
        const QList<QWidget *> parents{m_window.get(), m_window->control<QWidget>(u"图片框1")};
        for (QWidget *parent : parents) {
            QStringList stacked;
            for (QObject *child : parent->children()) {
                if (child->isWidgetType())
                    stacked.prepend(child->objectName());
            }
            QStringList expected;
            for (const LayoutEntry &entry : kLayout) {
                const bool ownChild = entry.kind != ControlKind::Timer
                    && m_window->findControl(nameOf(entry))->parent() == parent;
                if (ownChild)
                    expected.append(nameOf(entry));
            }
            QCOMPARE(stacked, expected);
        }
    }

    void timerIsHiddenAndRunning()
    {
        auto *timer = m_window->control<QTimer>(u"时钟1");
        QVERIFY(timer);
        QVERIFY(timer->isActive());
    }

    void createdEventRunsOnceBeforeTheWindowIsShown()
    {
        QCOMPARE(m_createdRuns, 1);
        QVERIFY(!m_windowVisibleWhenCreated);
        QCOMPARE(m_changes, 0);
    }

    void focusStartsInTheFirstField()
    {
        QTRY_COMPARE(QApplication::focusWidget(), m_window->findControl(u"编辑框1"));
    }

    void tabOrderWrapsBothWays()
    {
        const QList<EditBox *> &order = m_window->tabOrder();
        QCOMPARE(order.size(), 30);
        order.first()->setFocus();
        for (qsizetype step = 1; step <= order.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[step % order.size()]);
        }
        for (qsizetype step = order.size() - 1; step >= 0; --step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[step]);
        }
        QCOMPARE(m_changes, 0);
    }

    void keysAtWindowLevel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Shift+Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
    }

    void keysAtWindowLevel()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, closes);
        auto *field = m_window->control<EditBox>(u"编辑框1");
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("ab"));
        const int changesBefore = m_changes;
        QTest::keyClick(field, Qt::Key(key), modifiers);
        QCOMPARE(m_window->isVisible(), !closes);
        QCOMPARE(field->text(), QStringLiteral("ab"));
        QCOMPARE(m_changes, changesBefore);
        if (!closes)
            QCOMPARE(QApplication::focusWidget(), field);
    }

    void centredPosition_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(644, 227);
        QTest::newRow("800x600, above the screen") << QSize(800, 600) << QPoint(84, -12);
        QTest::newRow("odd sizes truncate") << QSize(1366, 768) << QPoint(367, 71);
        QTest::newRow("narrower than the window truncates toward zero") << QSize(630, 624) << QPoint(0, 0);
    }

    void centredPosition()
    {
        QFETCH(QSize, screen);
        QFETCH(QPoint, position);
        QCOMPARE(CardWindow::centredPosition(screen), position);
    }

    void failedControlCreationGivesNoWindow()
    {
        int createdRuns = 0;
        CardWindowHandlers handlers;
        handlers.created = [&](CardWindow &) { ++createdRuns; };
        const auto window = CardWindow::buildAndShow(
            std::move(handlers), [](const LayoutEntry &entry) { return entry.name != "透明标签13"; });
        QVERIFY(!window);
        QCOMPARE(createdRuns, 0);
    }

    void eventsRaisedWhileBuildingReachNoHandler()
    {
        int changes = 0;
        CardWindowHandlers handlers;
        handlers.changed = [&](CardWindow &, EditBox &) { ++changes; };
        // The timer is the last control made; by then every field exists.
        const auto window = CardWindow::buildAndShow(std::move(handlers), [](const LayoutEntry &entry) {
            if (entry.kind == ControlKind::Timer) {
                const auto widgets = QApplication::allWidgets();
                for (QWidget *widget : widgets) {
                    if (auto *field = qobject_cast<EditBox *>(widget))
                        emit field->textEdited(QStringLiteral("early"));
                }
            }
            return true;
        });
        QVERIFY(window);
        QCOMPARE(changes, 0);
        QTest::keyClicks(window->control<EditBox>(u"编辑框1"), QStringLiteral("x"));
        QCOMPARE(changes, 1);
    }

private:
    std::unique_ptr<CardWindow> m_window;
    int m_createdRuns = 0;
    int m_changes = 0;
    bool m_windowVisibleWhenCreated = true;
};

QTEST_MAIN(CardWindowTest)
#include "test_card_window.moc"

#include "card_window.h"
#include "profile_link.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <memory>

using card_window::CardWindow;

// Takes the place of the desktop's browser for web addresses.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

enum class MouseAction { Press, Click, DoubleClick, TwoClicks, Release, Move };

class TestProfileLink : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void address();
    void mouseOnControls_data();
    void mouseOnControls();

private:
    UrlRecorder m_recorder;
    std::unique_ptr<CardWindow> m_window;
};

void TestProfileLink::initTestCase()
{
    QDesktopServices::setUrlHandler(u"https"_qs, &m_recorder, "open");
    QDesktopServices::setUrlHandler(u"http"_qs, &m_recorder, "open");
}

void TestProfileLink::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(u"https"_qs);
    QDesktopServices::unsetUrlHandler(u"http"_qs);
}

void TestProfileLink::init()
{
    card_window::CardWindowHandlers handlers;
    handlers.logoPressed = [](CardWindow &) { card_editing::openProfilePage(); };
    m_window = CardWindow::buildAndShow(std::move(handlers));
    QVERIFY(m_window);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_recorder.opened.clear();
}

void TestProfileLink::cleanup()
{
    m_window.reset();
}

void TestProfileLink::address()
{
    const QUrl address = card_editing::profilePageAddress();
    QVERIFY(address.isValid());
    QCOMPARE(address.scheme(), u"https"_qs);
    QVERIFY(!address.host().isEmpty());
    QVERIFY(QRegularExpression(u"^/space-uid-[0-9]+\\.html$"_qs).match(address.path()).hasMatch());
    QVERIFY(!address.hasQuery() && !address.hasFragment());
}

void TestProfileLink::mouseOnControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<MouseAction>("action");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("opens");

    const QString logo = u"图片框8"_qs;
    const Qt::KeyboardModifiers none;
    QTest::newRow("left press on the logo") << logo << MouseAction::Press << Qt::LeftButton << none << 1;
    QTest::newRow("left click on the logo") << logo << MouseAction::Click << Qt::LeftButton << none << 1;
    QTest::newRow("left press with modifiers")
        << logo << MouseAction::Press << Qt::LeftButton
        << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << 1;
    QTest::newRow("double click on the logo") << logo << MouseAction::DoubleClick << Qt::LeftButton << none << 1;
    QTest::newRow("two separate clicks") << logo << MouseAction::TwoClicks << Qt::LeftButton << none << 2;
    QTest::newRow("release on the logo") << logo << MouseAction::Release << Qt::LeftButton << none << 0;
    QTest::newRow("move over the logo") << logo << MouseAction::Move << Qt::NoButton << none << 0;
    QTest::newRow("right press on the logo") << logo << MouseAction::Press << Qt::RightButton << none << 0;
    QTest::newRow("middle press on the logo") << logo << MouseAction::Press << Qt::MiddleButton << none << 0;
    for (const QString &other : {u"图片框1"_qs, u"图片框2"_qs, u"图片框5"_qs, u"透明标签1"_qs, u"编辑框30"_qs}) {
        QTest::addRow("left press on %s", qPrintable(other))
            << other << MouseAction::Press << Qt::LeftButton << none << 0;
    }
}

void TestProfileLink::mouseOnControls()
{
    QFETCH(QString, control);
    QFETCH(MouseAction, action);
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, opens);

    // Events go in at the window, as the platform delivers them, so that
    // double-click detection and the choice of control are Qt's own.
    auto *target = m_window->control<QWidget>(control);
    QVERIFY(target);
    const QPoint position = target->mapTo(m_window.get(), target->rect().center());
    // Labels let the mouse through to what lies beneath them.
    if (!target->testAttribute(Qt::WA_TransparentForMouseEvents))
        QCOMPARE(m_window->childAt(position), target);
    QWindow *const window = m_window->windowHandle();
    switch (action) {
    case MouseAction::Press:
        QTest::mousePress(window, button, modifiers, position);
        QTest::mouseRelease(window, button, modifiers, position);
        break;
    case MouseAction::Click:
        QTest::mouseClick(window, button, modifiers, position);
        break;
    case MouseAction::DoubleClick:
        QTest::mouseDClick(window, button, modifiers, position);
        break;
    case MouseAction::TwoClicks:
        QTest::mouseClick(window, button, modifiers, position);
        QTest::mouseClick(window, button, modifiers, position);
        break;
    case MouseAction::Release:
        QTest::mouseRelease(window, button, modifiers, position);
        break;
    case MouseAction::Move:
        QTest::mouseMove(window, position);
        break;
    }

    QCOMPARE(m_recorder.opened.size(), opens);
    for (const QUrl &url : std::as_const(m_recorder.opened))
        QCOMPARE(url, card_editing::profilePageAddress());
}

QTEST_MAIN(TestProfileLink)
#include "test_profile_link.moc"

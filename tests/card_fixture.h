#pragma once

// Helpers shared by the widget suites: the real card window with the system's
// handlers, and the pixels the window's backing store actually holds.

#include "card_window.h"
#include "field_routines.h"
#include "startup.h"
#include "title_keeper.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <memory>

namespace card_test {

struct CardFixture {
    std::unique_ptr<card_window::CardWindow> window;
    int changeEvents = 0;
    int ticks = 0;
};

// Builds and shows the card window wired as start-up wires it, counting the
// change events and ticks that reach the handlers.
inline std::unique_ptr<CardFixture> buildCardWindow()
{
    auto fixture = std::make_unique<CardFixture>();
    CardFixture *counts = fixture.get();
    card_window::CardWindowHandlers handlers;
    handlers.changed = [counts](card_window::CardWindow &window, card_window::EditBox &field) {
        ++counts->changeEvents;
        card_editing::runFieldRoutine(window, field, QString());
    };
    handlers.tick = [counts](card_window::CardWindow &window) {
        ++counts->ticks;
        shell::keepTitleAndHelpText(window, shell::globals().titleCopy);
    };
    fixture->window = card_window::CardWindow::buildAndShow(std::move(handlers));
    return fixture;
}

// What the window's backing store holds in the rectangle (window client
// coordinates) right now, without painting anything: on the offscreen
// platform a screen grab reads the backing store.
inline QImage backingStorePixels(QWidget *window, const QRect &rect)
{
    return window->screen()->grabWindow(window->winId(), rect.x(), rect.y(), rect.width(), rect.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

inline QImage backingStorePixels(QWidget *window)
{
    return backingStorePixels(window, window->rect());
}

// Types text that QTest::keyClicks cannot (it takes Latin-1 only): one key
// press and release per character, as an input method delivers it.
inline void typeText(QWidget *widget, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.sliced(i, length).toString(), Qt::NoModifier);
        i += length - 1;
    }
}

// The control's rectangle in its window's client coordinates.
inline QRect windowRectOf(const QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

} // namespace card_test

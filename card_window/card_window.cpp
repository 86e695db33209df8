#include "card_window.h"

#include "app_icon.h"
#include "edit_box.h"
#include "fatal_error.h"
#include "pic_box.h"
#include "trans_label.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace card_window {

namespace {

// The timer asks for 1 ms; like the platform the card was made for, the
// timer facility raises any period below 10 ms to 10 ms.
constexpr int kRequestedTickMs = 1;
constexpr int kTimerFloorMs = 10;

QString nameOf(const LayoutEntry &entry)
{
    return QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
}

bool isPlainKey(const QKeyEvent *event, int key, Qt::KeyboardModifiers allowed = Qt::NoModifier)
{
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == allowed;
}

} // namespace

CardWindow::CardWindow(CardWindowHandlers handlers) : m_handlers(std::move(handlers))
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowIcon(applicationIcon());
    setCaption(QString());
}

QPoint CardWindow::centredPosition(QSize screenSize)
{
    // C++ division truncates toward zero, as the rule asks.
    return {(screenSize.width() - kOuterWidth) / 2, (screenSize.height() - kOuterHeight) / 2};
}

std::unique_ptr<CardWindow> CardWindow::buildAndShow(CardWindowHandlers handlers, const ControlCreationCheck &canCreate)
{
    // Events stay held off (m_eventsReleased) until the controls are in place.
    std::unique_ptr<CardWindow> window(new CardWindow(std::move(handlers)));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(centredPosition(screen->geometry().size()));
    if (!window->createControls(canCreate))
        return nullptr;
    window->stackControls();
    for (auto entry = kLayout.rbegin(); entry != kLayout.rend(); ++entry) {
        if (entry->shown)
            qobject_cast<QWidget *>(window->findControl(nameOf(*entry)))->show();
    }
    window->m_eventsReleased = true;
    window->deliver(window->m_handlers.created);
    if (!window->m_tabOrder.isEmpty())
        window->m_tabOrder.first()->setFocus(Qt::OtherFocusReason);
    window->show();
    window->activateWindow();
    return window;
}

bool CardWindow::createControls(const ControlCreationCheck &canCreate)
{
    QList<std::pair<int, EditBox *>> tabStops;
    for (int index = int(kLayout.size()) - 1; index >= 0; --index) {
        const LayoutEntry &entry = kLayout[std::size_t(index)];
        if (canCreate && !canCreate(entry))
            return false;
        const QString name = nameOf(entry);
        QObject *control = nullptr;
        switch (entry.kind) {
        case ControlKind::Timer: {
            auto *timer = new QTimer(this);
            timer->setInterval(std::max(kRequestedTickMs, kTimerFloorMs));
            connect(timer, &QTimer::timeout, this, [this] { deliver(m_handlers.tick); });
            timer->start();
            control = timer;
            break;
        }
        case ControlKind::EditBox: {
            auto *field = new EditBox(this);
            field->installEventFilter(this);
            connect(field, &QLineEdit::textEdited, this, [this, field] { deliver(m_handlers.changed, *field); });
            if (entry.tabStop)
                tabStops.append({index, field});
            control = field;
            break;
        }
        case ControlKind::TransLabel:
            control = TransLabel::fromLayout(entry, this);
            break;
        case ControlKind::PicBox: {
            PicBox *box = PicBox::fromLayout(entry, this);
            if (entry.boundEvent == BoundEvent::LeftPress) {
                connect(box, &PicBox::leftButtonPressed, this, [this] { deliver(m_handlers.logoPressed); });
            }
            control = box;
            break;
        }
        }
        control->setObjectName(name);
        if (auto *widget = qobject_cast<QWidget *>(control)) {
            widget->hide();
            widget->setGeometry(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height);
            widget->setFocusPolicy(entry.tabStop ? Qt::StrongFocus : Qt::NoFocus);
            if (entry.pointer == Pointer::Hand)
                widget->setCursor(Qt::PointingHandCursor);
        }
        m_controls.insert(name, control);
    }

    for (const LayoutEntry &entry : kLayout) {
        if (entry.parent.empty())
            continue;
        auto *widget = qobject_cast<QWidget *>(findControl(nameOf(entry)));
        const QRect geometry = widget->geometry();
        widget->setParent(qobject_cast<QWidget *>(findControl(QString::fromUtf8(entry.parent.data(),
                                                                               qsizetype(entry.parent.size())))));
        widget->setGeometry(geometry);
        widget->hide();
    }

    // Equal traversal ranks: the later table entry comes first.
    std::stable_sort(tabStops.begin(), tabStops.end(), [](const auto &a, const auto &b) {
        return kLayout[std::size_t(a.first)].traversalRank < kLayout[std::size_t(b.first)].traversalRank;
    });
    for (const auto &[index, field] : tabStops)
        m_tabOrder.append(field);
    return true;
}

void CardWindow::stackControls()
{
    // Raising from the last entry to the first leaves the earlier entry above
    // the later one among siblings.
    for (auto entry = kLayout.rbegin(); entry != kLayout.rend(); ++entry) {
        if (auto *widget = qobject_cast<QWidget *>(findControl(nameOf(*entry))))
            widget->raise();
    }
}

template <typename... Arguments>
void CardWindow::deliver(const std::function<void(CardWindow &, Arguments &...)> &handler, Arguments &...arguments)
{
    if (m_eventsReleased && !shell::fatalErrorReported() && handler)
        handler(*this, arguments...);
}

QObject *CardWindow::findControl(QStringView name) const
{
    return m_controls.value(name.toString());
}

void CardWindow::setCaption(const QString &caption)
{
    m_caption = caption;
    // The platform shows the program's name for an empty title; a zero-width
    // space keeps the title bar empty instead.
    setWindowTitle(caption.isEmpty() ? QStringLiteral("\u200B") : caption);
}

bool CardWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<EditBox *>(watched)) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (isPlainKey(keyEvent, Qt::Key_Tab)) {
            moveFocus(true);
            return true;
        }
        if (isPlainKey(keyEvent, Qt::Key_Backtab, Qt::ShiftModifier)) {
            moveFocus(false);
            return true;
        }
        if (isPlainKey(keyEvent, Qt::Key_Escape)) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CardWindow::keyPressEvent(QKeyEvent *event)
{
    if (isPlainKey(event, Qt::Key_Escape)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CardWindow::focusNextPrevChild(bool next)
{
    moveFocus(next);
    return true;
}

void CardWindow::moveFocus(bool next)
{
    if (m_tabOrder.isEmpty())
        return;
    const qsizetype count = m_tabOrder.size();
    const qsizetype current = m_tabOrder.indexOf(qobject_cast<EditBox *>(focusWidget()));
    qsizetype target = 0;
    if (current >= 0)
        target = (current + (next ? 1 : count - 1)) % count;
    else if (!next)
        target = count - 1;
    // Not a tab focus reason: entering a field must not select its text.
    m_tabOrder[target]->setFocus(Qt::OtherFocusReason);
}

} // namespace card_window

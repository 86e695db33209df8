#pragma once

#include "layout_table.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QTimer;

namespace card_window {

class EditBox;
class PicBox;
class TransLabel;

class CardWindow;

// The handlers the layout binds; none runs before the controls are in place.
struct CardWindowHandlers {
    std::function<void(CardWindow &window)> created;
    std::function<void(CardWindow &window, EditBox &field)> changed;
    std::function<void(CardWindow &window)> tick;
    std::function<void(CardWindow &window)> logoPressed;
};

// Test seam: returns false to make the creation of that control fail.
using ControlCreationCheck = std::function<bool(const LayoutEntry &entry)>;

class CardWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the window and its controls and shows it; nothing when the
    // window or a control cannot be made.
    static std::unique_ptr<CardWindow> buildAndShow(CardWindowHandlers handlers,
                                                    const ControlCreationCheck &canCreate = {});

    // Top-left of the outer frame that centres the window on a screen.
    static QPoint centredPosition(QSize screenSize);

    QObject *findControl(QStringView name) const;
    template <typename Control>
    Control *control(QStringView name) const
    {
        return qobject_cast<Control *>(findControl(name));
    }

    // The caption as last written through setCaption, or the empty layout caption.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // The thirty fields in keyboard traversal order.
    const QList<EditBox *> &tabOrder() const { return m_tabOrder; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    explicit CardWindow(CardWindowHandlers handlers);
    bool createControls(const ControlCreationCheck &canCreate);
    void stackControls();
    void moveFocus(bool next);
    // Runs a bound handler unless events are held off.
    template <typename... Arguments>
    void deliver(const std::function<void(CardWindow &, Arguments &...)> &handler, Arguments &...arguments);

    CardWindowHandlers m_handlers;
    bool m_eventsReleased = false;
    QString m_caption;
    QHash<QString, QObject *> m_controls;
    QList<EditBox *> m_tabOrder;
};

} // namespace card_window

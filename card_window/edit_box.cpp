#include "edit_box.h"

#include "card_fonts.h"
#include "trans_label.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

namespace card_window {

namespace {

// The platform's three-dimensional edge is two pixels on every side.
constexpr int kEdgePx = 2;

// The editing grid: six rows 24 pixels apart from y = 384, each column's
// heading 8 pixels right of the column in the band at y = 352.
constexpr int kGridTop = 384;
constexpr int kRowPitch = 24;
constexpr int kRowCount = 6;
constexpr int kHeadingTop = 352;
constexpr int kHeadingIndent = 8;

// A classic client edge: shadow over dark shadow at the top and left, light
// over the face colour at the bottom and right.
QPalette clientEdgePalette()
{
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(128, 128, 128));
    palette.setColor(QPalette::Light, QColor(255, 255, 255));
    palette.setColor(QPalette::Shadow, QColor(64, 64, 64));
    palette.setColor(QPalette::Midlight, QApplication::palette().color(QPalette::Button));
    return palette;
}

} // namespace

QString gridPlaceOf(const Rect &fieldRect)
{
    const int offset = fieldRect.top - kGridTop;
    if (offset < 0 || offset % kRowPitch != 0 || offset / kRowPitch >= kRowCount)
        return {};
    for (const LayoutEntry &entry : kLayout) {
        if (entry.kind == ControlKind::TransLabel && entry.rect.top == kHeadingTop
            && entry.rect.left == fieldRect.left + kHeadingIndent) {
            return QStringLiteral("第%1行 %2").arg(offset / kRowPitch + 1).arg(startingCaptionOf(entry.name));
        }
    }
    return {};
}

EditBox::EditBox(QWidget *parent) : QLineEdit(parent)
{
    // The edge is drawn here, not by the style, so that it looks the same
    // under every style and leaves the whole inside to the white background.
    setFrame(false);
    setFont(cardFont(CardFace::YaHei));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    // No field is less tall than a line of "吴" and the edge above and below
    // it; setGeometry keeps the left, top and width and grows the height.
    setMinimumHeight(fontMetrics().boundingRect(QStringLiteral("吴")).height() + 2 * kEdgePx);
}

EditBox *EditBox::fromLayout(const LayoutEntry &entry, QWidget *parent)
{
    auto *field = new EditBox(parent);
    field->setAccessibleName(gridPlaceOf(entry.rect));
    return field;
}

QRect EditBox::editingRect() const
{
    const QRect inside = rect().adjusted(kEdgePx, kEdgePx, -kEdgePx, -kEdgePx);
    const int lineHeight = fontMetrics().boundingRect(QStringLiteral("W")).height();
    // Integer division rounds the half towards zero.
    return {inside.left(), inside.top() + (inside.height() - lineHeight) / 2, inside.width(), lineHeight};
}

void EditBox::placeTextLine()
{
    // QLineEdit centres its line in what the margins leave, so margins that
    // leave exactly the line put it where editingRect() says.
    const QRect line = editingRect();
    setTextMargins(kEdgePx, line.top(), kEdgePx, std::max(0, height() - 1 - line.bottom()));
}

void EditBox::resizeEvent(QResizeEvent *event)
{
    placeTextLine();
    QLineEdit::resizeEvent(event);
}

void EditBox::focusInEvent(QFocusEvent *event)
{
    if (m_hasSavedSelection) {
        m_hasSavedSelection = false;
        const int length = int(text().size());
        if (m_savedAnchor <= length && m_savedCursor <= length)
            setSelection(m_savedAnchor, m_savedCursor - m_savedAnchor);
    }
    // QLineEdit selects all of its text when the focus comes by Tab or a
    // shortcut; a field of the card never does.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        QLineEdit::focusInEvent(&plain);
        return;
    }
    QLineEdit::focusInEvent(event);
}

void EditBox::focusOutEvent(QFocusEvent *event)
{
    // The field's own context menu acts on the selection, so it stays.
    if (event->reason() == Qt::PopupFocusReason || !hasSelectedText()) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    const int start = selectionStart();
    const int end = start + selectionLength();
    m_savedCursor = cursorPosition();
    m_savedAnchor = m_savedCursor == start ? end : start;
    m_hasSavedSelection = true;
    QLineEdit::focusOutEvent(event);
    // QLineEdit keeps the selection when the window is deactivated; it is
    // hidden all the same while the field is unfocused.
    deselect();
}

bool EditBox::claimsPress(const QMouseEvent *event) const
{
    return event->button() == Qt::RightButton || editingRect().contains(event->position().toPoint());
}

void EditBox::mousePressEvent(QMouseEvent *event)
{
    m_pressOnFrame = !claimsPress(event);
    if (m_pressOnFrame) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void EditBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressOnFrame = !claimsPress(event);
    if (m_pressOnFrame) {
        event->accept();
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

void EditBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressOnFrame) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void EditBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressOnFrame) {
        m_pressOnFrame = false;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EditBox::paintEvent(QPaintEvent *event)
{
    {
        QPainter background(this);
        background.fillRect(rect(), Qt::white);
    }
    QLineEdit::paintEvent(event);
    QPainter edge(this);
    qDrawWinPanel(&edge, rect(), clientEdgePalette(), true);
}

} // namespace card_window

#pragma once

#include "layout_table.h"

#include <QLineEdit>

namespace card_window {

// The accessible name of a field of the editing grid, such as "第2行 Qarnelo币":
// its grid row and its column heading; empty for a rectangle off the grid.
QString gridPlaceOf(const Rect &fieldRect);

// A single-line input field of the editing grid, drawn with a classic sunken
// edge. Its text line sits in the vertical middle of the space inside the edge
// by the height of a "W"; a press in the bands above and below that line falls
// on the frame and leaves the caret alone. Entering the field never selects
// its text, and the selection it had is hidden while it is unfocused and shown
// again when the focus comes back.
class EditBox : public QLineEdit {
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);
    // A field with the settings of the grid and the accessible name of its place.
    static EditBox *fromLayout(const LayoutEntry &entry, QWidget *parent);

    // The area that takes part in editing: the text line, inside the edge.
    QRect editingRect() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeTextLine();
    bool claimsPress(const QMouseEvent *event) const;

    // The selection while the field is unfocused; anchor == cursor when none.
    int m_savedAnchor = 0;
    int m_savedCursor = 0;
    bool m_hasSavedSelection = false;
    // A press on the frame: its moves and release must not select either.
    bool m_pressOnFrame = false;
};

} // namespace card_window

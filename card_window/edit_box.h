#pragma once

#include <QLineEdit>

namespace card_window {

// A single-line input field of the editing grid.
class EditBox : public QLineEdit {
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);
};

} // namespace card_window

#pragma once

#include "layout_table.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace card_window {

// A label that draws only the glyphs of its caption over what lies beneath.
class TransLabel : public QWidget {
    Q_OBJECT
public:
    explicit TransLabel(QWidget *parent = nullptr);
    // A label with the settings the layout gives the entry.
    static TransLabel *fromLayout(const LayoutEntry &entry, QWidget *parent);

    QString caption() const { return m_caption; }
    // Keeps a copy and returns once the label's rectangle is repainted.
    void setCaption(const QString &caption);

    void setTextColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    QColor m_textColor = Qt::black;
};

} // namespace card_window

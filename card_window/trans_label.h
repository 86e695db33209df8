#pragma once

#include "layout_table.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class QTextLayout;

namespace card_window {

// A caption as it is laid out: ampersands resolved and every line break (CR LF,
// CR or LF) turned into a line separator.
struct LabelText {
    QString text;
    QList<int> underlined; // positions in text of the characters drawn underlined
};
LabelText labelTextOf(QStringView caption);

// The starting caption the layout gives a label, or an empty view for a name
// that is no overlay label.
QStringView startingCaptionOf(std::string_view labelName);

// A label that draws only the glyphs of its caption over what lies beneath.
class TransLabel : public QWidget {
    Q_OBJECT
public:
    explicit TransLabel(QWidget *parent = nullptr);
    ~TransLabel() override;
    // A label with the caption, font and colour the layout gives the entry.
    static TransLabel *fromLayout(const LayoutEntry &entry, QWidget *parent);

    QString caption() const { return m_caption; }
    // Keeps a copy and returns once the label's rectangle has been repainted
    // back to front, so no pixel of the previous caption survives.
    void setCaption(const QString &caption);

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layOutCaption();

    QString m_caption;
    QColor m_textColor = Qt::black;
    std::unique_ptr<QTextLayout> m_layout; // of m_caption; null when it must be laid out again
};

} // namespace card_window

#pragma once

#include "layout_table.h"
#include "picture.h"

#include <QByteArray>
#include <QColor>
#include <QWidget>

#include <memory>
#include <optional>

namespace card_window {

class GifAnimator;

// A box that shows one picture given as the bytes of an encoded image file.
class PicBox : public QWidget {
    Q_OBJECT
public:
    enum class DisplayMode { NaturalSize = 0, Stretched = 1, Centred = 2 };

    explicit PicBox(QWidget *parent = nullptr);
    ~PicBox() override;
    // A box with the settings the layout gives the entry.
    static PicBox *fromLayout(const LayoutEntry &entry, QWidget *parent);

    QColor backgroundColor() const { return m_background; }
    DisplayMode displayMode() const { return m_displayMode; }
    void setDisplayMode(DisplayMode mode);

    // Keeps a copy of the bytes and shows their picture, or none.
    void setPicture(QByteArrayView bytes);
    QByteArray pictureData() const { return m_pictureData; }
    bool hasPicture() const { return m_picture.has_value(); }
    // The player of an animated GIF picture, or null.
    const GifAnimator *animator() const { return m_animator.get(); }

signals:
    void leftButtonPressed(QPoint position, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QColor m_background;
    DisplayMode m_displayMode = DisplayMode::NaturalSize;
    QByteArray m_pictureData;
    std::optional<pictures::DecodedPicture> m_picture;
    std::unique_ptr<GifAnimator> m_animator;
};

} // namespace card_window

#pragma once

#include "layout_table.h"
#include "picture.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

namespace card_window {

class GifAnimator;

// The image over an opaque background of the given colour, as a picture box
// draws it: alpha ignored, blended by the PNG rule, or masked like an icon.
// An image without transparency is returned as a view of its own pixels,
// so it must outlive the result and stay unchanged.
QImage composedImage(const pictures::Image &image, pictures::Compositing compositing, QColor background);

// A box that shows one picture given as the bytes of an encoded image file.
class PicBox : public QWidget {
    Q_OBJECT
public:
    enum class DisplayMode { NaturalSize = 0, Stretched = 1, Centred = 2 };
    enum class BorderStyle {
        None = 0,
        SunkenClientEdge = 1,
        RaisedDialogFrame = 2,
        ThinSunkenEdge = 3,
        ClientEdgeInDialogFrame = 4,
        Line = 5,
    };

    // The background is the system's 3D face colour as it is now.
    explicit PicBox(QWidget *parent = nullptr);
    ~PicBox() override;
    // A box with the settings and the picture the layout gives the entry.
    static PicBox *fromLayout(const LayoutEntry &entry, QWidget *parent);

    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(QColor color);
    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle style);
    DisplayMode displayMode() const { return m_displayMode; }
    void setDisplayMode(DisplayMode mode);
    bool playsAnimation() const { return m_playsAnimation; }
    void setPlaysAnimation(bool plays) { m_playsAnimation = plays; }

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
    // An image made ready for the screen: composed over the background (or a
    // view of the image's own pixels), and scaled for the last target size
    // asked for.
    struct PreparedImage {
        QImage composed;
        QImage scaled;
        void clear() { *this = {}; }
    };

    // Draws an image by the display mode with the box's compositing and
    // scaling into the client area; prepared keeps the work between paints
    // of the same image and must be cleared when the image changes.
    void drawImage(QPainter &painter, const pictures::Image &image, pictures::Compositing compositing,
                   PreparedImage &prepared);
    // Draws prepared.composed by the display mode, scaling it into prepared.scaled when needed.
    void drawComposed(QPainter &painter, PreparedImage &prepared);
    QRect targetRect(QSize imageSize) const;
    void drawBorder(QPainter &painter) const;

    QColor m_background;
    BorderStyle m_borderStyle = BorderStyle::None;
    DisplayMode m_displayMode = DisplayMode::NaturalSize;
    bool m_playsAnimation = true;
    QByteArray m_pictureData;
    std::optional<pictures::DecodedPicture> m_picture;
    PreparedImage m_prepared;
    std::unique_ptr<GifAnimator> m_animator;
};

} // namespace card_window

#pragma once

#include "gif.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace pictures {

enum class GifTransparency {
    Ignored,  // the whole decoded part of the frame is copied (still pictures)
    ByColour, // pixels of the transparent index's colour are left alone
};

// Draws the decoded pixels of frame at its position on canvas, clipped to it.
void drawGifFrame(Image &canvas, const GifAnimation &gif, const GifFrame &frame, GifTransparency transparency);

// How long a frame stays: its delay, or 50 ms when that is 0 or absent.
int gifFrameDelayMs(const GifFrame &frame);

// Composes the frames of an animation one after the other onto a canvas of
// the logical screen size, looping for ever. Not thread-safe: the owner
// guards the canvas.
class GifPlayer {
public:
    // Nothing when the canvas or the restore buffer cannot be had.
    static std::optional<GifPlayer> create(std::shared_ptr<const GifAnimation> animation, std::uint32_t background);

    // Composes the next frame (restoring under the previous one, remembering
    // under this one, drawing it) and returns its index.
    int advance();

    const GifAnimation &animation() const { return *m_animation; }
    const Image &canvas() const { return m_canvas; }

private:
    GifPlayer(std::shared_ptr<const GifAnimation> animation, Image canvas);

    struct Area {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    Area visibleArea(const GifFrame &frame) const;

    std::shared_ptr<const GifAnimation> m_animation;
    Image m_canvas;
    int m_next = 0;
    // What lay under the previous frame, while its disposal asks for it back.
    std::vector<std::uint32_t> m_saved;
    std::optional<Area> m_savedArea;
};

} // namespace pictures

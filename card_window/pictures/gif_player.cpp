#include "gif_player.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>

// Quirks, where playing parts from the common reading of the format on purpose:
// - The canvas starts filled with the picture box's background colour, not
//   transparent, and is not cleared when the animation starts over.
// - Disposal 2 puts back what was under the frame, exactly like disposal 3;
//   neither fills with a background colour.
// - Transparency is decided by colour: with the flag set, every index whose
//   colour equals that of the transparent index is left undrawn.
// - Looping is endless: the loop count of the file plays no part.
// - A delay of 0, or none at all, is 50 ms.

namespace pictures {

namespace {

constexpr int kDefaultDelayMs = 50;

// Interlaced rows are stored in four passes: every 8th row from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1.
struct RowPass {
    int first;
    int step;
};
constexpr std::array<RowPass, 4> kInterlacePasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
constexpr std::array<RowPass, 1> kProgressivePass{{{0, 1}}};

} // namespace

void drawGifFrame(Image &canvas, const GifAnimation &gif, const GifFrame &frame, GifTransparency transparency)
{
    if (frame.width <= 0 || frame.left >= canvas.width)
        return;
    const GifPalette &palette = gif.palettes[std::size_t(frame.palette)];

    // The colour each index draws; 0 (alpha 0, never a table colour) marks
    // an index that is not drawn.
    std::array<std::uint32_t, 256> drawn = palette.colors;
    if (transparency == GifTransparency::ByColour && frame.transparent) {
        const int key = frame.transparentIndex;
        drawn[std::size_t(key)] = 0;
        if (key < palette.count) {
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                if (palette.colors[i] == palette.colors[std::size_t(key)])
                    drawn[i] = 0;
            }
        }
    }

    const std::size_t width = std::size_t(frame.width);
    const std::size_t decoded = frame.indices.size();
    const std::size_t columns = std::min(width, std::size_t(canvas.width - frame.left));
    std::size_t rowStart = 0;
    const auto passes = frame.interlaced ? std::span<const RowPass>(kInterlacePasses)
                                         : std::span<const RowPass>(kProgressivePass);
    for (const RowPass &pass : passes) {
        for (int y = pass.first; y < frame.height; y += pass.step, rowStart += width) {
            if (rowStart >= decoded)
                return;
            const int canvasY = frame.top + y;
            if (canvasY >= canvas.height)
                continue;
            const std::size_t count = std::min(columns, decoded - rowStart);
            const std::uint8_t *source = frame.indices.data() + rowStart;
            std::uint32_t *target = canvas.pixels.data() + std::size_t(canvasY) * std::size_t(canvas.width) + std::size_t(frame.left);
            for (std::size_t x = 0; x < count; ++x) {
                const std::uint32_t colour = drawn[source[x]];
                if (colour != 0)
                    target[x] = colour;
            }
        }
    }
}

int gifFrameDelayMs(const GifFrame &frame)
{
    return frame.delay > 0 ? frame.delay * 10 : kDefaultDelayMs;
}

std::optional<GifPlayer> GifPlayer::create(std::shared_ptr<const GifAnimation> animation, std::uint32_t background)
{
    if (!animation || animation->frames.empty())
        return std::nullopt;
    auto canvas = allocateImage(animation->screenWidth, animation->screenHeight, background | 0xff000000u);
    if (!canvas)
        return std::nullopt;
    GifPlayer player(std::move(animation), std::move(*canvas));
    // The restore buffer is had once, so playing never allocates.
    std::size_t largestSaved = 0;
    for (const GifFrame &frame : player.m_animation->frames) {
        if (frame.disposal == 2 || frame.disposal == 3) {
            const Area area = player.visibleArea(frame);
            largestSaved = std::max(largestSaved, std::size_t(area.width) * std::size_t(area.height));
        }
    }
    try {
        player.m_saved.reserve(largestSaved);
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    return player;
}

GifPlayer::GifPlayer(std::shared_ptr<const GifAnimation> animation, Image canvas)
    : m_animation(std::move(animation)), m_canvas(std::move(canvas))
{
}

GifPlayer::Area GifPlayer::visibleArea(const GifFrame &frame) const
{
    Area area;
    area.left = std::min(frame.left, m_canvas.width);
    area.top = std::min(frame.top, m_canvas.height);
    area.width = std::min(frame.left + frame.width, m_canvas.width) - area.left;
    area.height = std::min(frame.top + frame.height, m_canvas.height) - area.top;
    return area;
}

int GifPlayer::advance()
{
    const auto &frames = m_animation->frames;
    const int shown = m_next;
    const GifFrame &frame = frames[std::size_t(shown)];
    const auto row = [this](int left, int y) {
        return m_canvas.pixels.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(m_canvas.width) + std::size_t(left));
    };

    if (m_savedArea) {
        const Area &area = *m_savedArea;
        for (int y = 0; y < area.height; ++y) {
            const auto source = m_saved.begin() + std::ptrdiff_t(y) * area.width;
            std::copy(source, source + area.width, row(area.left, area.top + y));
        }
        m_savedArea.reset();
    }
    if (frame.disposal == 2 || frame.disposal == 3) {
        const Area area = visibleArea(frame);
        m_saved.resize(std::size_t(area.width) * std::size_t(area.height)); // within the reserve
        for (int y = 0; y < area.height; ++y) {
            const auto source = row(area.left, area.top + y);
            std::copy(source, source + area.width, m_saved.begin() + std::ptrdiff_t(y) * area.width);
        }
        m_savedArea = area;
    }
    drawGifFrame(m_canvas, *m_animation, frame, GifTransparency::ByColour);
    m_next = (shown + 1) % int(frames.size());
    return shown;
}

} // namespace pictures

#pragma once

#include "picture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace pictures {

// The frames of a GIF together may hold this many bytes of decoded indices,
// colour tables and bookkeeping; a GIF that needs more is refused, so a small
// hostile file cannot ask for gigabytes through thousands of large frames.
inline constexpr std::int64_t kMaxGifFrameBytes = 256 * 1024 * 1024;

// A colour table of up to 256 opaque 0xffRRGGBB colours. Entries past count
// are opaque black, which is how an index past the table is shown.
struct GifPalette {
    std::array<std::uint32_t, 256> colors{};
    int count = 0;
};

struct GifFrame {
    // The rectangle on the logical screen; it may reach past the screen, and
    // whatever lies outside is clipped when the frame is drawn.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    // Colour-table indices in the order they were stored (interlaced frames
    // keep their pass order). Data that ends early or turns corrupt leaves
    // fewer than width * height; the pixels not decoded are not drawn.
    std::vector<std::uint8_t> indices;
    int palette = 0; // into GifAnimation::palettes
    int disposal = 0;
    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    int delay = 0; // hundredths of a second; 0 when none was given
};

// A GIF as read: the logical screen and its frames in file order.
struct GifAnimation {
    int screenWidth = 0;
    int screenHeight = 0;
    std::uint32_t screenBackground = 0xff000000u; // background index of the global table
    std::vector<GifPalette> palettes; // [0] is the global table (empty when there is none)
    std::vector<GifFrame> frames;
    // The data ends right after the first image, or only the trailer follows
    // it: the one kind of GIF that is a still picture.
    bool endsAfterFirstImage = false;
};

struct GifPicture {
    Image still; // a GIF that ends after its first image: that image, opaque, at logical screen size
    std::shared_ptr<const GifAnimation> animation; // set instead of still for any other GIF
};

// Reads the whole GIF; nothing when the header, the logical screen or the
// global colour table does not fit, the sizes break the caps, or there is no
// image at all.
std::optional<GifAnimation> readGif(Bytes bytes);

// A still picture for a GIF that ends after its first image, an animation for
// any other (even one whose only image is followed by an extension), or nothing.
std::optional<GifPicture> decodeGif(Bytes bytes);

} // namespace pictures

#pragma once

// Small GIFs shared by the GIF suites, built with gif_writer.h.

#include "gif_writer.h"

#include <QByteArray>

namespace gif_fixtures {

inline constexpr std::uint32_t kRed = 0xff0000;
inline constexpr std::uint32_t kGreen = 0x00ff00;
inline constexpr std::uint32_t kBlue = 0x0000ff;
inline constexpr std::uint32_t kWhite = 0xffffff;
inline constexpr std::uint32_t kBlack = 0x000000;

inline QByteArray bytesOf(const gif_writer::Gif &gif)
{
    const auto bytes = gif_writer::write(gif);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// A frame covering the whole of a width x height screen with one index.
inline gif_writer::Frame solidFrame(int width, int height, std::uint8_t index,
                                    std::optional<gif_writer::ControlBlock> control = {})
{
    gif_writer::Frame frame;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(std::size_t(width) * std::size_t(height), index);
    frame.control = control;
    return frame;
}

// frameCount frames of one colour each (red, green, blue, ...), every one
// with the given delay in hundredths of a second.
inline QByteArray colourCycle(int frameCount, int delay, int size = 2)
{
    gif_writer::Gif gif{size, size, {kRed, kGreen, kBlue, kWhite}, 0, {}, true};
    for (int i = 0; i < frameCount; ++i)
        gif.frames.push_back(solidFrame(size, size, std::uint8_t(i % 4), gif_writer::ControlBlock{0, false, 0, delay}));
    return bytesOf(gif);
}

} // namespace gif_fixtures

#pragma once

// Writes small GIF files for tests and benchmarks: real LZW compression, so
// other readers take them too, and every field under the caller's control.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace gif_writer {

struct ControlBlock {
    int disposal = 0;
    bool transparent = false;
    int transparentIndex = 0;
    int delay = 0; // hundredths of a second
};

struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices; // rows top to bottom, also for interlaced frames
    std::vector<std::uint32_t> localPalette; // 0xRRGGBB; empty for none
    bool interlaced = false;
    std::optional<ControlBlock> control;
    int minimumCodeSize = 0; // 0: chosen from the palette size
};

struct Gif {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> globalPalette; // 0xRRGGBB; empty for none
    int backgroundIndex = 0;
    std::vector<Frame> frames;
    bool trailer = true;
};

inline void put16(std::vector<std::uint8_t> &out, int value)
{
    out.push_back(std::uint8_t(value & 0xff));
    out.push_back(std::uint8_t((value >> 8) & 0xff));
}

// The size field of a table: 2 << field entries hold the palette.
inline int tableSizeField(std::size_t colours)
{
    int field = 0;
    while ((std::size_t(2) << field) < colours && field < 7)
        ++field;
    return field;
}

inline void putPalette(std::vector<std::uint8_t> &out, const std::vector<std::uint32_t> &palette)
{
    const std::size_t entries = std::size_t(2) << tableSizeField(palette.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint32_t colour = i < palette.size() ? palette[i] : 0;
        out.push_back(std::uint8_t(colour >> 16));
        out.push_back(std::uint8_t(colour >> 8));
        out.push_back(std::uint8_t(colour));
    }
}

// LZW data as sub-blocks with their terminator, the code size byte first.
inline void putLzw(std::vector<std::uint8_t> &out, const std::vector<std::uint8_t> &indices, int minimumCodeSize)
{
    out.push_back(std::uint8_t(minimumCodeSize));
    std::vector<std::uint8_t> packed;
    std::uint32_t buffer = 0;
    int bits = 0;
    const int clearCode = 1 << minimumCodeSize;
    int width = minimumCodeSize + 1;
    int next = clearCode + 2;
    const auto putCode = [&](int code) {
        buffer |= std::uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            packed.push_back(std::uint8_t(buffer & 0xff));
            buffer >>= 8;
            bits -= 8;
        }
    };
    std::unordered_map<std::uint32_t, int> table;
    const auto reset = [&] {
        table.clear();
        width = minimumCodeSize + 1;
        next = clearCode + 2;
    };
    putCode(clearCode);
    if (!indices.empty()) {
        int prefix = indices[0];
        bool first = true; // the reader defines no code for the first one after a clear
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | indices[i];
            if (const auto found = table.find(key); found != table.end()) {
                prefix = found->second;
                continue;
            }
            putCode(prefix);
            table.emplace(key, next++);
            if (next > (1 << width) && width < 12)
                ++width;
            first = false;
            if (next == 4096) {
                putCode(clearCode);
                reset();
                first = true;
            }
            prefix = indices[i];
        }
        putCode(prefix);
        // The reader defines one more code on this one and may widen.
        if (!first && next < 4096 && ++next > (1 << width) && width < 12)
            ++width;
    }
    putCode(clearCode + 1);
    if (bits > 0)
        packed.push_back(std::uint8_t(buffer & 0xff));
    for (std::size_t i = 0; i < packed.size(); i += 255) {
        const std::size_t size = std::min<std::size_t>(255, packed.size() - i);
        out.push_back(std::uint8_t(size));
        out.insert(out.end(), packed.begin() + std::ptrdiff_t(i), packed.begin() + std::ptrdiff_t(i + size));
    }
    out.push_back(0);
}

inline std::vector<std::uint8_t> interlacedOrder(const Frame &frame)
{
    std::vector<std::uint8_t> rows;
    for (const auto &[first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
        for (int y = first; y < frame.height; y += step) {
            const auto row = frame.indices.begin() + std::ptrdiff_t(y) * frame.width;
            rows.insert(rows.end(), row, row + frame.width);
        }
    }
    return rows;
}

inline std::vector<std::uint8_t> write(const Gif &gif)
{
    std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
    put16(out, gif.width);
    put16(out, gif.height);
    const bool global = !gif.globalPalette.empty();
    out.push_back(std::uint8_t((global ? 0x80 | tableSizeField(gif.globalPalette.size()) : 0) | 0x70));
    out.push_back(std::uint8_t(gif.backgroundIndex));
    out.push_back(0);
    if (global)
        putPalette(out, gif.globalPalette);
    for (const Frame &frame : gif.frames) {
        if (frame.control) {
            const ControlBlock &control = *frame.control;
            out.insert(out.end(), {0x21, 0xf9, 4});
            out.push_back(std::uint8_t((control.disposal << 2) | (control.transparent ? 1 : 0)));
            put16(out, control.delay);
            out.push_back(std::uint8_t(control.transparentIndex));
            out.push_back(0);
        }
        out.push_back(0x2c);
        put16(out, frame.left);
        put16(out, frame.top);
        put16(out, frame.width);
        put16(out, frame.height);
        const bool local = !frame.localPalette.empty();
        out.push_back(std::uint8_t((local ? 0x80 | tableSizeField(frame.localPalette.size()) : 0)
                                   | (frame.interlaced ? 0x40 : 0)));
        if (local)
            putPalette(out, frame.localPalette);
        const std::size_t colours = local ? frame.localPalette.size() : gif.globalPalette.size();
        const int codeSize = frame.minimumCodeSize ? frame.minimumCodeSize : std::max(2, tableSizeField(colours) + 1);
        putLzw(out, frame.interlaced ? interlacedOrder(frame) : frame.indices, codeSize);
    }
    if (gif.trailer)
        out.push_back(0x3b);
    return out;
}

} // namespace gif_writer

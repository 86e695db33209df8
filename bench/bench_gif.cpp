#include "gif.h"
#include "gif_player.h"
#include "gif_fixtures.h"
#include "pic_box.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QTest>

#include <ctime>

// Our GIF decoder side by side with Qt's reader on the same bytes, and the
// CPU one animating avatar costs.

namespace {

// A picture with some structure, so LZW has runs to find but not only runs.
std::vector<std::uint8_t> patternIndices(int width, int height, int seed)
{
    std::vector<std::uint8_t> indices(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            indices[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                std::uint8_t(((x / 4 + seed) ^ (y / 3)) * 7 + (x * y + seed) % 5);
    }
    return indices;
}

std::vector<std::uint32_t> rampPalette()
{
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 256; ++i)
        palette.push_back((i << 16) | ((255 - i) << 8) | ((i * 3) & 0xff));
    return palette;
}

QByteArray stillGif(int size)
{
    gif_writer::Frame frame;
    frame.width = frame.height = size;
    frame.indices = patternIndices(size, size, 0);
    return gif_fixtures::bytesOf({size, size, rampPalette(), 0, {frame}, true});
}

// 100 frames of 64 x 64, each a 48 x 48 patch that moves, with a mix of
// disposals and transparency as animated avatars have.
QByteArray animatedGif()
{
    gif_writer::Gif gif{64, 64, rampPalette(), 0, {}, true};
    for (int i = 0; i < 100; ++i) {
        gif_writer::Frame frame;
        frame.left = i % 16;
        frame.top = (i * 3) % 16;
        frame.width = frame.height = 48;
        frame.indices = patternIndices(48, 48, i);
        frame.control = gif_writer::ControlBlock{i % 4, i % 2 == 0, 3, 4};
        gif.frames.push_back(std::move(frame));
    }
    return gif_fixtures::bytesOf(gif);
}

void decodeOurs(benchmark::State &state, const QByteArray &bytes)
{
    const pictures::Bytes span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    for (auto _ : state) {
        auto picture = pictures::decodeGif(span);
        benchmark::DoNotOptimize(picture);
    }
}

// QImageReader reads every frame, as it would to play the GIF.
void decodeQt(benchmark::State &state, const QByteArray &bytes)
{
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "gif");
        int frames = 0;
        for (QImage image; reader.read(&image);)
            ++frames;
        benchmark::DoNotOptimize(frames);
    }
}

const QByteArray &small() { static const QByteArray bytes = stillGif(24); return bytes; }
const QByteArray &large() { static const QByteArray bytes = stillGif(512); return bytes; }
const QByteArray &animated() { static const QByteArray bytes = animatedGif(); return bytes; }

void BM_Ours_24x24(benchmark::State &state) { decodeOurs(state, small()); }
void BM_Qt_24x24(benchmark::State &state) { decodeQt(state, small()); }
void BM_Ours_512x512(benchmark::State &state) { decodeOurs(state, large()); }
void BM_Qt_512x512(benchmark::State &state) { decodeQt(state, large()); }
void BM_Ours_100Frames(benchmark::State &state) { decodeOurs(state, animated()); }
// Qt's reader hands out every frame composed, so this is the like-for-like
// measure: decoding and then composing all 100 canvases.
void BM_OursComposed_100Frames(benchmark::State &state)
{
    const QByteArray &bytes = animated();
    const pictures::Bytes span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    for (auto _ : state) {
        const auto gif = pictures::decodeGif(span);
        auto player = pictures::GifPlayer::create(gif->animation, 0xfff0f0f0u);
        for (std::size_t i = 0; i < gif->animation->frames.size(); ++i)
            benchmark::DoNotOptimize(player->advance());
    }
}
void BM_Qt_100Frames(benchmark::State &state) { decodeQt(state, animated()); }

BENCHMARK(BM_Ours_24x24);
BENCHMARK(BM_Qt_24x24);
BENCHMARK(BM_Ours_512x512);
BENCHMARK(BM_Qt_512x512);
BENCHMARK(BM_Ours_100Frames);
BENCHMARK(BM_OursComposed_100Frames);
BENCHMARK(BM_Qt_100Frames);

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// One avatar box playing the 100-frame GIF (40 ms a frame) for 10 seconds of
// wall time, event loop and repaints included; reports the CPU share.
void BM_AnimatingAvatar10s(benchmark::State &state)
{
    for (auto _ : state) {
        card_window::PicBox box;
        box.resize(24, 24);
        box.setDisplayMode(card_window::PicBox::DisplayMode::Stretched);
        box.show();
        (void)QTest::qWaitForWindowExposed(&box);
        const double cpuStart = processCpuSeconds();
        box.setPicture(animated());
        QTest::qWait(10000);
        const double cpu = processCpuSeconds() - cpuStart;
        state.counters["cpu_ms"] = cpu * 1000;
        state.counters["cpu_percent"] = cpu / 10.0 * 100;
    }
}
BENCHMARK(BM_AnimatingAvatar10s)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

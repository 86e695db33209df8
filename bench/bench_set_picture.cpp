// Set-picture on an avatar box (decode, then the first paint at 24 x 24)
// against Qt's own readers on the same bytes: QImage::fromData alone, and
// QImage::fromData followed by the same smooth shrink and draw.

#include "pic_box.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// A photograph-like picture: smooth gradients with a little noise, so both
// encoders work about as hard as on real avatars.
QImage samplePicture(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    std::uint32_t noise = 12345;
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            line[x] = qRgb(std::clamp(255 * x / size + grain, 0, 255), std::clamp(255 * y / size + grain, 0, 255),
                           std::clamp(128 + grain + (x ^ y) % 32, 0, 255));
        }
    }
    return image;
}

QByteArray encoded(int size, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    samplePicture(size).save(&buffer, format, format == QByteArray("JPG") ? 85 : -1);
    return bytes;
}

void setPicture(benchmark::State &state, const char *format)
{
    const QByteArray bytes = encoded(int(state.range(0)), format);
    card_window::PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(card_window::PicBox::DisplayMode::Stretched);
    QImage screen(24, 24, QImage::Format_RGB32);
    for (auto _ : state) {
        box.setPicture(bytes);
        box.render(&screen);
    }
    if (!box.hasPicture())
        state.SkipWithError("no picture");
    state.SetLabel(std::to_string(bytes.size()) + " bytes");
}

void qtFromData(benchmark::State &state, const char *format)
{
    const QByteArray bytes = encoded(int(state.range(0)), format);
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(bytes));
}

void qtFromDataAndPaint(benchmark::State &state, const char *format)
{
    const QByteArray bytes = encoded(int(state.range(0)), format);
    QImage screen(24, 24, QImage::Format_RGB32);
    for (auto _ : state) {
        const QImage image = QImage::fromData(bytes);
        QPainter painter(&screen);
        painter.drawImage(0, 0, image.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
}

} // namespace

BENCHMARK_CAPTURE(setPicture, png, "PNG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(qtFromData, png, "PNG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(qtFromDataAndPaint, png, "PNG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(setPicture, jpeg, "JPG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(qtFromData, jpeg, "JPG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(qtFromDataAndPaint, jpeg, "JPG")->Arg(24)->Arg(200)->Arg(1024)->Unit(benchmark::kMicrosecond);

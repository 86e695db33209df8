// One keystroke in an avatar field, from the field's change event to the
// repainted avatar box: a name that finds no file, and names of a 200 x 200
// JPEG and PNG. Runs on the offscreen platform unless another one is asked for.

#include "card_window.h"
#include "edit_box.h"
#include "field_routines.h"
#include "pic_box.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

using card_window::CardWindow;
using card_window::EditBox;
using card_window::PicBox;

namespace {

constexpr int kSide = 200;

// A photograph-like picture: smooth gradients with noise, so that neither
// format compresses it to next to nothing.
QImage avatarImage()
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    QRandomGenerator noise(20261211);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int grain = int(noise.bounded(24));
            image.setPixel(x, y, qRgb((x * 255 / kSide + grain) & 0xff, (y * 255 / kSide + grain) & 0xff,
                                      ((x + y) * 127 / kSide + grain) & 0xff));
        }
    }
    return image;
}

bool writeImage(const QString &path, const char *format)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && avatarImage().save(&file, format, 90);
}

// Counts the paints a box receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class AvatarFixture {
public:
    AvatarFixture()
    {
        m_ready = m_dir.isValid() && writeImage(m_dir.filePath(QStringLiteral("photo.jpg")), "JPEG")
                  && writeImage(m_dir.filePath(QStringLiteral("photo.png")), "PNG");
        const QString baseDirectory = m_dir.path() + u'/';
        card_window::CardWindowHandlers handlers;
        handlers.changed = [baseDirectory](CardWindow &window, EditBox &field) {
            card_editing::runFieldRoutine(window, field, baseDirectory);
        };
        m_window = CardWindow::buildAndShow(std::move(handlers));
        m_ready = m_ready && m_window && QTest::qWaitForWindowExposed(m_window.get());
        if (m_ready) {
            m_field = m_window->control<EditBox>(QStringLiteral("编辑框30"));
            m_box = m_window->control<PicBox>(QStringLiteral("图片框2"));
            m_box->installEventFilter(&m_paints);
        }
    }

    // Types the last character of name into the avatar field of card row 1,
    // which already holds the rest, and lets the box repaint.
    void run(benchmark::State &state, const QString &name, bool expectPicture)
    {
        if (!m_ready) {
            state.SkipWithError("the fixture could not be set up");
            return;
        }
        const QString typed = name.left(name.size() - 1);
        const QString last = name.right(1);
        const Qt::Key key = QTest::asciiToKey(last.at(0).toLatin1());
        m_paints.paints = 0;
        for (auto _ : state) {
            state.PauseTiming();
            m_field->setText(typed);
            QCoreApplication::processEvents();
            state.ResumeTiming();

            QTest::sendKeyEvent(QTest::Click, m_field, key, last, Qt::NoModifier);
            QCoreApplication::processEvents();
        }
        if (m_paints.paints < state.iterations())
            state.SkipWithError("the avatar box was not repainted after every keystroke");
        else if (m_box->pictureData().isEmpty() == expectPicture)
            state.SkipWithError("the avatar box does not hold what the name names");
        state.counters["file bytes"] = double(m_box->pictureData().size());
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CardWindow> m_window;
    EditBox *m_field = nullptr;
    PicBox *m_box = nullptr;
    PaintCounter m_paints;
    bool m_ready = false;
};

AvatarFixture *sharedFixture = nullptr;

void keystrokeNamingNoFile(benchmark::State &state)
{
    sharedFixture->run(state, QStringLiteral("photo.jp"), false);
}
BENCHMARK(keystrokeNamingNoFile)->Unit(benchmark::kMicrosecond);

void keystrokeNamingJpeg(benchmark::State &state)
{
    sharedFixture->run(state, QStringLiteral("photo.jpg"), true);
}
BENCHMARK(keystrokeNamingJpeg)->Unit(benchmark::kMicrosecond);

void keystrokeNamingPng(benchmark::State &state)
{
    sharedFixture->run(state, QStringLiteral("photo.png"), true);
}
BENCHMARK(keystrokeNamingPng)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    AvatarFixture shared;
    sharedFixture = &shared;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

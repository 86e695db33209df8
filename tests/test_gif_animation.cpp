#include "gif.h"
#include "gif_animator.h"
#include "card_window.h"
#include "gif_fixtures.h"
#include "pic_box.h"

#include <QtTest>

#include <QRandomGenerator>

#include <chrono>
#include <thread>

using namespace gif_fixtures;
using card_window::GifAnimator;
using card_window::PicBox;

namespace {

std::shared_ptr<const pictures::GifAnimation> animationOf(const QByteArray &bytes)
{
    auto gif = pictures::decodeGif({reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())});
    return gif ? gif->animation : nullptr;
}

// What a box paint does with the animator.
void paintOnce(GifAnimator &animator)
{
    (void)animator.canvasForPaint();
}

struct FrameChange {
    int frame;
    qint64 atMs;
};

// Polls the frame on the canvas every millisecond and records each change.
QList<FrameChange> watchFrames(const std::function<int()> &currentFrame, int changes, int timeoutMs = 5000)
{
    QList<FrameChange> seen;
    QElapsedTimer clock;
    clock.start();
    int last = -2;
    while (seen.size() < changes && clock.elapsed() < timeoutMs) {
        const int frame = currentFrame();
        if (frame != last && frame >= 0)
            seen.append({frame, clock.elapsed()});
        last = frame;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return seen;
}

QRgb shownColour(PicBox &box)
{
    return box.grab().toImage().pixel(box.width() / 2, box.height() / 2);
}

// Two frames over one pixel: red with index 1 transparent, then white.
QByteArray transparentPair(bool animated)
{
    gif_writer::Gif gif{1, 1, {kRed, kGreen, kWhite}, 0, {}, true};
    gif.frames.push_back(solidFrame(1, 1, 1, gif_writer::ControlBlock{0, true, 1, 100}));
    if (animated)
        gif.frames.push_back(solidFrame(1, 1, 1, gif_writer::ControlBlock{0, true, 1, 100}));
    return bytesOf(gif);
}

} // namespace

class TestGifAnimation : public QObject {
    Q_OBJECT
private slots:
    void framesPlayInOrderForEver();
    void frameDelays_data();
    void frameDelays();
    void stopIsHonouredAtOnce();
    void firstPaintStartsTheAnimation();
    void transparencyStillVersusAnimated();
    void sameGifAgainRestartsAtFirstFrame();
    void newPictureStopsTheAnimationFirst();
    void stressSixBoxes();
    void closingTheWindowWhileAvatarsAnimate();
};

void TestGifAnimation::framesPlayInOrderForEver()
{
    QWidget box;
    GifAnimator animator(&box, animationOf(colourCycle(3, 1)), 0xffffff);
    paintOnce(animator);
    const auto seen = watchFrames([&] { return animator.currentFrame(); }, 8);
    QList<int> order;
    for (const FrameChange &change : seen)
        order.append(change.frame);
    QCOMPARE(order, (QList<int>{0, 1, 2, 0, 1, 2, 0, 1}));
}

void TestGifAnimation::frameDelays_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expectedMs");

    QTest::newRow("delay 0 runs at 50 ms") << colourCycle(4, 0) << 50;
    gif_writer::Gif none{1, 1, {kRed, kGreen}, 0, {solidFrame(1, 1, 0), solidFrame(1, 1, 1)}, true};
    QTest::newRow("no control block runs at 50 ms") << bytesOf(none) << 50;
    QTest::newRow("delay 3 runs at 30 ms") << colourCycle(4, 3) << 30;
    QTest::newRow("delay 12 runs at 120 ms") << colourCycle(4, 12) << 120;
}

// The mean time between frame changes over several frames; the wait is
// measured from each frame's start, so it should not drift upwards.
void TestGifAnimation::frameDelays()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expectedMs);

    QWidget box;
    GifAnimator animator(&box, animationOf(bytes), 0xffffff);
    paintOnce(animator);
    const auto seen = watchFrames([&] { return animator.currentFrame(); }, 7);
    QCOMPARE(seen.size(), 7);
    const double meanMs = double(seen.last().atMs - seen.first().atMs) / (seen.size() - 1);
    QVERIFY2(meanMs >= expectedMs - 3 && meanMs <= expectedMs * 1.3 + 5,
             qPrintable(QStringLiteral("mean %1 ms").arg(meanMs)));
}

void TestGifAnimation::stopIsHonouredAtOnce()
{
    QWidget box;
    GifAnimator animator(&box, animationOf(colourCycle(2, 1000)), 0xffffff);
    paintOnce(animator);
    QTRY_COMPARE(animator.currentFrame(), 0);
    QElapsedTimer clock;
    clock.start();
    animator.stop();
    QVERIFY2(clock.elapsed() <= 15, qPrintable(QStringLiteral("stop took %1 ms").arg(clock.elapsed())));
    QVERIFY(!animator.isRunning());
    QCOMPARE(animator.currentFrame(), 0);
}

void TestGifAnimation::firstPaintStartsTheAnimation()
{
    QWidget box;
    GifAnimator animator(&box, animationOf(colourCycle(2, 1)), 0xffffff);
    QTest::qWait(30);
    QVERIFY(!animator.isRunning());
    QCOMPARE(animator.currentFrame(), -1);
    paintOnce(animator);
    QVERIFY(animator.isRunning());
    QTRY_VERIFY(animator.currentFrame() >= 0);
}

// A still GIF shows its transparent index in the stored colour; the same
// transparency in an animation shows the box colour.
void TestGifAnimation::transparencyStillVersusAnimated()
{
    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    box.setPicture(transparentPair(false));
    QVERIFY(!box.animator());
    QCOMPARE(shownColour(box), QColor(Qt::green).rgb());

    box.setPicture(transparentPair(true));
    QVERIFY(box.animator());
    QTRY_COMPARE(box.animator()->currentFrame(), 0);
    QCOMPARE(shownColour(box), box.backgroundColor().rgb());
}

void TestGifAnimation::sameGifAgainRestartsAtFirstFrame()
{
    // Frame 0 stays 300 ms, the other two 20 ms each.
    gif_writer::Gif gif{2, 2, {kRed, kGreen, kBlue}, 0, {}, true};
    for (int i = 0; i < 3; ++i)
        gif.frames.push_back(solidFrame(2, 2, std::uint8_t(i), gif_writer::ControlBlock{0, false, 0, i == 0 ? 30 : 2}));
    const QByteArray bytes = bytesOf(gif);

    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setPicture(bytes);
    QTRY_VERIFY(box.animator()->currentFrame() >= 1);

    box.setPicture(bytes);
    const auto seen = watchFrames([&] {
        QCoreApplication::processEvents(); // lets the first paint come
        return box.animator()->currentFrame();
    }, 1);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().frame, 0);
    QCOMPARE(shownColour(box), QColor(Qt::red).rgb());
}

void TestGifAnimation::newPictureStopsTheAnimationFirst()
{
    PicBox box;
    box.resize(24, 24);
    box.setDisplayMode(PicBox::DisplayMode::Stretched);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setPicture(colourCycle(3, 1));
    QTRY_VERIFY(box.animator() && box.animator()->currentFrame() >= 1);

    box.setPicture(bytesOf({1, 1, {kWhite}, 0, {solidFrame(1, 1, 0)}, true}));
    QVERIFY(!box.animator());
    // Nothing draws over the new picture afterwards.
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(shownColour(box), QColor(Qt::white).rgb());
        QTest::qWait(10);
    }
}

// Six boxes get pictures set over and over while their GIFs play, paints
// come in between, and the window goes while they still play. Run it under
// ThreadSanitizer to see the canvas lock and the stop handshake hold.
void TestGifAnimation::stressSixBoxes()
{
    const QList<QByteArray> pictures{
        colourCycle(4, 0), colourCycle(3, 1, 40), colourCycle(2, 2, 7),
        transparentPair(true), transparentPair(false), QByteArray("not a picture"), QByteArray()};
    auto *window = new QWidget;
    QList<PicBox *> boxes;
    for (int i = 0; i < 6; ++i) {
        auto *box = new PicBox(window);
        box->setGeometry(0, i * 30, 24, 24);
        box->setDisplayMode(PicBox::DisplayMode::Stretched);
        boxes.append(box);
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    QRandomGenerator random(6);
    for (int round = 0; round < 300; ++round) {
        PicBox *box = boxes[random.bounded(int(boxes.size()))];
        box->setPicture(pictures[random.bounded(int(pictures.size()))]);
        if (round % 3 == 0)
            box->repaint();
        QCoreApplication::processEvents();
        if (round % 25 == 0)
            QTest::qWait(random.bounded(20));
    }
    for (PicBox *box : boxes)
        box->setPicture(pictures[0]);
    window->repaint();
    QTRY_VERIFY(std::all_of(boxes.begin(), boxes.end(),
                            [](PicBox *box) { return box->animator()->currentFrame() >= 1; }));
    delete window;
    // Repaint requests still queued for the boxes are dropped with them.
    QTest::qWait(60);
}

// The card window goes with its six avatars playing: each box stops its
// worker before it is destroyed, and repaints still queued are dropped.
void TestGifAnimation::closingTheWindowWhileAvatarsAnimate()
{
    card_window::CardWindowHandlers handlers;
    handlers.created = [](card_window::CardWindow &) {};
    handlers.changed = [](card_window::CardWindow &, card_window::EditBox &) {};
    handlers.tick = [](card_window::CardWindow &) {};
    handlers.logoPressed = [](card_window::CardWindow &) {};
    auto window = card_window::CardWindow::buildAndShow(std::move(handlers));
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QList<PicBox *> avatars;
    for (int number = 2; number <= 7; ++number) {
        auto *box = window->control<PicBox>(QStringLiteral("图片框%1").arg(number));
        QVERIFY(box);
        box->setPicture(colourCycle(3, 0));
        avatars.append(box);
    }
    QTRY_VERIFY(std::all_of(avatars.begin(), avatars.end(),
                            [](PicBox *box) { return box->animator()->currentFrame() >= 1; }));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    window.reset();
    QTest::qWait(60);
}

QTEST_MAIN(TestGifAnimation)
#include "test_gif_animation.moc"

#pragma once

#include "gif_player.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QWidget;

namespace card_window {

// Plays a GIF animation for one picture box: a worker thread composes the
// frames into a canvas and asks the box to repaint; the box's paints draw the
// canvas. Only the canvas is shared, under its own lock. The worker never waits
// for the GUI thread, so stopping (flag, then join) from it cannot deadlock.
class GifAnimator {
public:
    GifAnimator(QWidget *box, std::shared_ptr<const pictures::GifAnimation> animation, std::uint32_t background);
    ~GifAnimator();

    GifAnimator(const GifAnimator &) = delete;
    GifAnimator &operator=(const GifAnimator &) = delete;

    // The logical screen size, the size of the picture for the display mode.
    QSize size() const;

    // For a paint of the box: the first call starts the worker and gives a
    // null image (the box shows its background); later ones give a copy of
    // the canvas as it is.
    QImage canvasForPaint();

    // Asks the worker to stop and waits until it has; the worker notices the
    // request at once, even in the middle of a frame's wait.
    void stop();

    bool isRunning() const { return m_worker.joinable(); }
    // The index of the frame on the canvas, -1 before the first.
    int currentFrame() const { return m_currentFrame.load(); }

private:
    void run();

    QWidget *m_box;
    std::optional<pictures::GifPlayer> m_player;
    std::mutex m_canvasLock;
    std::mutex m_stopLock;
    std::condition_variable m_stopChanged;
    bool m_stopRequested = false;
    bool m_started = false;
    std::atomic<int> m_currentFrame{-1};
    std::thread m_worker;
};

} // namespace card_window

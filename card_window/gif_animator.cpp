#include "gif_animator.h"

#include <QMetaObject>
#include <QWidget>

#include <algorithm>
#include <chrono>

namespace card_window {

GifAnimator::GifAnimator(QWidget *box, std::shared_ptr<const pictures::GifAnimation> animation,
                         std::uint32_t background)
    : m_box(box), m_player(pictures::GifPlayer::create(std::move(animation), background))
{
}

GifAnimator::~GifAnimator()
{
    stop();
}

QSize GifAnimator::size() const
{
    if (!m_player)
        return {};
    return {m_player->animation().screenWidth, m_player->animation().screenHeight};
}

QImage GifAnimator::canvasForPaint()
{
    if (!m_player)
        return {};
    if (!m_started) {
        m_started = true;
        m_worker = std::thread(&GifAnimator::run, this);
        return {};
    }
    // The lock is held only for a copy; scaling and drawing happen outside it.
    const QSize canvasSize = size();
    QImage frame(canvasSize, QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    const std::lock_guard lock(m_canvasLock);
    const auto &pixels = m_player->canvas().pixels;
    for (int y = 0; y < canvasSize.height(); ++y) {
        const auto row = pixels.begin() + std::ptrdiff_t(y) * canvasSize.width();
        std::copy(row, row + canvasSize.width(), reinterpret_cast<std::uint32_t *>(frame.scanLine(y)));
    }
    return frame;
}

void GifAnimator::stop()
{
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard lock(m_stopLock);
        m_stopRequested = true;
    }
    m_stopChanged.notify_all();
    m_worker.join();
}

void GifAnimator::run()
{
    using Clock = std::chrono::steady_clock;
    QWidget *box = m_box;
    for (;;) {
        const auto frameStart = Clock::now();
        int delayMs;
        {
            const std::lock_guard lock(m_canvasLock);
            const int frame = m_player->advance();
            m_currentFrame.store(frame);
            delayMs = pictures::gifFrameDelayMs(m_player->animation().frames[std::size_t(frame)]);
        }
        // Queued with the box as context: it runs on the GUI thread, and is
        // dropped if the box is gone by then.
        QMetaObject::invokeMethod(box, [box] { box->update(); }, Qt::QueuedConnection);

        std::unique_lock lock(m_stopLock);
        if (m_stopChanged.wait_until(lock, frameStart + std::chrono::milliseconds(delayMs),
                                     [this] { return m_stopRequested; }))
            return;
    }
}

} // namespace card_window

#pragma once

#include <QByteArray>
#include <QThreadPool>

#include <atomic>
#include <memory>

// Measures the sharpness of received frames beside the live view, one frame
// at a time on a thread of its own, so that a capture finds the frames of the
// last half second already measured instead of decoding them all while the
// user waits. When frames come faster than they are measured, the newer ones
// are left for the capture to measure.
class FocusScorer
{
public:
    // Not measured (yet): the capture measures it itself.
    static constexpr double Pending = -2.0;
    using Score = std::shared_ptr<std::atomic<double>>;

    FocusScorer();
    // Waits for the frame being measured.
    ~FocusScorer();

    // Starts measuring `jpeg`; the score appears in the result when done.
    Score measure(const QByteArray &jpeg);

private:
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<int>> m_queued = std::make_shared<std::atomic<int>>(0);
};

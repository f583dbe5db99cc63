#include "stream/framering.h"

void FrameRing::add(const QByteArray &jpeg, qint64 receivedMs, const FocusScorer::Score &focus)
{
    if (jpeg.isEmpty())
        return;
    // A clock that went backwards (or a restarted stream) leaves nothing to compare with.
    if (!m_frames.isEmpty() && receivedMs < m_frames.last().receivedMs)
        clear();
    m_frames.append(Frame{jpeg, receivedMs, focus});
    m_bytes += jpeg.size();
    while (m_frames.size() > 1 && (receivedMs - m_frames.first().receivedMs > m_spanMs ||
                                   m_frames.size() > m_maxFrames || m_bytes > m_maxBytes))
        dropOldest();
}

void FrameRing::clear()
{
    m_frames.clear();
    m_bytes = 0;
}

void FrameRing::dropOldest()
{
    m_bytes -= m_frames.first().jpeg.size();
    m_frames.removeFirst();
}

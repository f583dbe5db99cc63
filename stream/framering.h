#pragma once

#include "stream/focusscorer.h"

#include <QByteArray>
#include <QList>

// The frames the live view received during the last moments, as the JPEG
// bytes that arrived (a decoded 1080p frame takes 8 MB, its JPEG a few hundred
// KB), so a capture can choose among them. Bounded three ways: by age, by
// count and by bytes; the newest frame is always kept, whatever its size.
class FrameRing
{
public:
    // Half a second: long enough to hold a still moment of a moving patient,
    // short enough that the photo is what the user just saw.
    static constexpr qint64 DefaultSpanMs = 500;
    // Half a second at 60 fps, a camera's highest rate.
    static constexpr int DefaultMaxFrames = 30;
    // 15 frames of a busy 1080p picture at high quality take about 8 MB.
    static constexpr qsizetype DefaultMaxBytes = 16 * 1024 * 1024;

    struct Frame
    {
        QByteArray jpeg;
        qint64 receivedMs = 0;
        // Its sharpness, once measured; null or Pending until then.
        FocusScorer::Score focus;
    };

    explicit FrameRing(qint64 spanMs = DefaultSpanMs, int maxFrames = DefaultMaxFrames,
                       qsizetype maxBytes = DefaultMaxBytes)
        : m_spanMs(spanMs), m_maxFrames(maxFrames), m_maxBytes(maxBytes)
    {
    }

    // Adds a frame received at `receivedMs` (a steady clock) and drops what
    // falls out of the bounds: frames older than the span before it, then the
    // oldest until count and bytes fit.
    void add(const QByteArray &jpeg, qint64 receivedMs, const FocusScorer::Score &focus = {});
    void clear();

    // Oldest first; the last is the newest.
    const QList<Frame> &frames() const { return m_frames; }
    int size() const { return int(m_frames.size()); }
    qsizetype bytes() const { return m_bytes; }

private:
    void dropOldest();

    qint64 m_spanMs;
    int m_maxFrames;
    qsizetype m_maxBytes;
    QList<Frame> m_frames;
    qsizetype m_bytes = 0;
};

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>

// Renders the simulator's moving test picture: colour bars, a sweeping disc,
// the frame counter and the time, so a viewer can see motion and latency.
class TestPattern
{
public:
    QImage render(const QSize &size, quint64 frameNumber, const QDateTime &now) const;
    // The rendered frame as a JPEG of the given quality; `blurred`, as a
    // camera moved during the exposure would see it (see blur()).
    QByteArray renderJpeg(const QSize &size, quint64 frameNumber, const QDateTime &now,
                          int quality = 85, bool blurred = false) const;
    // The simulator's known blur: the picture reduced to an eighth of its
    // size and smoothly enlarged back, which leaves no sharp edge.
    static QImage blur(const QImage &image);
};

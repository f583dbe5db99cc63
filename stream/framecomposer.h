#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// Turns one JPEG frame into the picture the live view shows: scaled to cover
// the view (the overhang cut equally on both sides) with its corners rounded.
// Made for a frame every 40 ms: the decoder writes Qt's pixel layout
// directly, the scaled draw lands straight in the canvas, and the corner mask
// is computed once per view size and applied only where it is not opaque.
class FrameComposer
{
public:
    static constexpr int CornerRadius = 20;

    // Null when the bytes do not decode. `fullFrame`, if given, receives the
    // decoded frame when it was decoded at camera resolution, else null.
    // `target` is in the view's logical pixels; the picture has the screen's
    // own pixels, `devicePixelRatio` per logical one, so it stays sharp there.
    QImage compose(const QByteArray &jpeg, const QSize &target, QImage *fullFrame = nullptr,
                   qreal devicePixelRatio = 1.0);
    // Composes an already decoded frame.
    QImage composeImage(const QImage &frame, const QSize &target, qreal devicePixelRatio = 1.0);

private:
    void roundCorners(QImage &image, qreal radius);

    QImage m_mask; // coverage of the rounded rectangle at m_mask.size()
    qreal m_maskRadius = 0;
};

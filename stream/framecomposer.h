#pragma once

#include "stream/imageorientation.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

class ZoomPan;

// Turns one JPEG frame into the picture the live view shows: scaled to cover
// the view (the overhang cut equally on both sides) with its corners rounded.
// Made for a frame every 40 ms: the decoder writes Qt's pixel layout
// directly, the scaled draw lands straight in the canvas, and the corner mask
// is computed once per view size and applied only where it is not opaque.
// A turned or zoomed view costs no more: only the part in view is decoded,
// scaled straight to the view's size, and turned there, at the view's size.
class FrameComposer
{
public:
    static constexpr int CornerRadius = 20;

    // Null when the bytes do not decode. `fullFrame`, if given, receives the
    // decoded frame when it was decoded at camera resolution, else null.
    // `target` is in the view's logical pixels; the picture has the screen's
    // own pixels, `devicePixelRatio` per logical one, so it stays sharp there.
    // The frame is turned by `orientation`; `zoom`, if given, chooses the
    // part shown (its view and picture sizes are set here, the picture's to
    // the turned frame's size).
    QImage compose(const QByteArray &jpeg, const QSize &target, QImage *fullFrame = nullptr,
                   qreal devicePixelRatio = 1.0,
                   const ImageOrientation &orientation = ImageOrientation(),
                   ZoomPan *zoom = nullptr);
    // Composes an already decoded frame.
    QImage composeImage(const QImage &frame, const QSize &target, qreal devicePixelRatio = 1.0);

private:
    void roundCorners(QImage &image, qreal radius);

    QImage m_mask; // coverage of the rounded rectangle at m_mask.size()
    qreal m_maskRadius = 0;
};

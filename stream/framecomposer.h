#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// Turns one JPEG frame into the picture the live view shows: scaled to cover
// the view (the overhang cut equally on both sides) with its corners rounded.
// Made for a frame every 40 ms: the JPEG is decoded straight at the size the
// view needs, the result keeps the decoder's pixel layout, and the corner
// mask is computed once per view size.
class FrameComposer
{
public:
    static constexpr int CornerRadius = 20;

    // Null when the bytes do not decode.
    QImage compose(const QByteArray &jpeg, const QSize &target);
    // The frame at camera resolution.
    static QImage decodeFull(const QByteArray &jpeg);

private:
    void roundCorners(QImage &image);

    QImage m_mask; // coverage of the rounded rectangle at m_mask.size()
};

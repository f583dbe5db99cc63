#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>

#include <functional>

// Decodes JPEG frames with libjpeg straight into Qt's 32-bit pixel layout,
// without the extra conversion pass of the generic image reader.
namespace JpegDecoder {

// Larger than any camera frame; a header claiming more is not decoded.
constexpr qint64 MaxPixels = 4096LL * 4096LL;

// Format_RGB32, or null when the bytes do not decode. Given a view, the
// decoder may reduce the picture by 2, 4 or 8 while it decodes (much cheaper
// than decoding it whole), but only as far as the result still covers the
// view: a reduced picture is never enlarged, which would blur it. Without a
// view the picture has the JPEG's own size. `reduced`, if given, tells
// whether it was reduced.
QImage decode(const QByteArray &jpeg, const QSize &view = QSize(), bool *reduced = nullptr);

// Part of a frame, decoded: for a zoomed view most of the frame is never
// shown, and the decoder can skip the rows above it, leave out the columns
// beside it (bar the edge of a block) and stop below it.
struct Region
{
    QImage image;       // Format_RGB32; null when the bytes do not decode
    QRectF shown;       // where the asked part lies in `image`'s pixels
    QSize frameSize;    // the whole frame's size
    bool whole = false; // `image` is the whole frame at its own size
};
// `partOf` gives, for the frame's size read from its header, the part wanted
// (in the frame's pixels; clipped to the frame, empty for all of it). The
// part is reduced by 2, 4 or 8 as far as it still has `minimum` pixels.
Region decodeRegion(const QByteArray &jpeg, const std::function<QRectF(const QSize &)> &partOf,
                    const QSize &minimum);

} // namespace JpegDecoder

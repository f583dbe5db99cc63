#pragma once

#include <QByteArray>
#include <QImage>

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

} // namespace JpegDecoder

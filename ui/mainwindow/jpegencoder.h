#pragma once

#include <QByteArray>
#include <QImage>

// Encodes pictures as baseline JPEG with libjpeg straight from Qt's 32-bit
// pixel layout, without the per-row conversion of the generic image writer:
// a capture's one long step.
namespace JpegEncoder {

// The JPEG bytes, or empty when `image` is null or libjpeg fails.
QByteArray encode(const QImage &image, int quality);

} // namespace JpegEncoder

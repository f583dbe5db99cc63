#pragma once

#include "records/store/storedphoto.h"

#include <QImage>
#include <QSize>
#include <QString>

// Reads one stored photo entry: "name|base64-jpeg", or the Base64 text alone,
// held in memory or referenced in the store file.
namespace PhotoEntry {

// The text before the first "|"; empty when there is none.
QString nameOf(const StoredPhoto &entry);
// The whole image; a null image when the data is not Base64 or not a picture.
QImage imageOf(const StoredPhoto &entry);
// The image scaled to cover `box` (keeping its aspect ratio) and cut to it
// around the centre; JPEG data is decoded at a reduced size where possible.
QImage thumbnailOf(const StoredPhoto &entry, const QSize &box);

} // namespace PhotoEntry

#include "records/store/photoentry.h"

namespace PhotoEntry {

QString nameOf(const StoredPhoto &entry)
{
    return entry.name();
}

QImage imageOf(const StoredPhoto &entry)
{
    return entry.image();
}

QImage thumbnailOf(const StoredPhoto &entry, const QSize &box)
{
    return entry.thumbnail(box);
}

} // namespace PhotoEntry

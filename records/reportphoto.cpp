#include "records/reportphoto.h"

#include <QBuffer>

QString photoEntry(const ReportPhoto &photo)
{
    if (!photo.jpeg.isEmpty())
        return photo.name + QLatin1Char('|') + QString::fromLatin1(photo.jpeg.toBase64());
    if (photo.pixmap.isNull())
        return {};
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!photo.pixmap.save(&buffer, "JPG", 95) || jpeg.isEmpty())
        return {};
    return photo.name + QLatin1Char('|') + QString::fromLatin1(jpeg.toBase64());
}

QStringList photoEntries(const QList<ReportPhoto> &photos)
{
    QStringList entries;
    entries.reserve(photos.size());
    for (const ReportPhoto &photo : photos) {
        const QString entry = photoEntry(photo);
        if (!entry.isEmpty())
            entries.append(entry);
    }
    return entries;
}

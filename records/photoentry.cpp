#include "records/photoentry.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace PhotoEntry {

static QByteArray imageBytesOf(const QString &entry)
{
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    const QString data = bar < 0 ? entry : entry.mid(bar + 1);
    return QByteArray::fromBase64(data.toLatin1());
}

QString nameOf(const QString &entry)
{
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.left(bar);
}

QImage imageOf(const QString &entry)
{
    QByteArray bytes = imageBytesOf(entry);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

QImage thumbnailOf(const QString &entry, const QSize &box)
{
    QByteArray bytes = imageBytesOf(entry);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && !box.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatioByExpanding));
    const QImage image = reader.read();
    if (image.isNull() || box.isEmpty())
        return image;
    const QSize target = image.size().scaled(box, Qt::KeepAspectRatioByExpanding);
    const QImage covering = image.size() == target ? image
                                                   : image.scaled(target, Qt::IgnoreAspectRatio,
                                                                  Qt::SmoothTransformation);
    const QRect centre((covering.width() - box.width()) / 2, (covering.height() - box.height()) / 2,
                       box.width(), box.height());
    return covering.copy(centre);
}

} // namespace PhotoEntry

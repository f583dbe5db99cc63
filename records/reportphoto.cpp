#include "records/reportphoto.h"

#include "i18n/langmanager.h"

#include <QBuffer>
#include <QRegularExpression>

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

PhotoEar photoEarOf(const QString &name)
{
    // A name copied out of a file list may still carry the extension.
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(left|right)_\\d+|\\d{8}_\\d{6}_([LR])(?:_\\d+)?)(?:\\.jpe?g)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name.trimmed());
    if (!match.hasMatch())
        return PhotoEar::Unknown;
    const QString word = match.captured(1).toLower();
    const QString letter = match.captured(2).toUpper();
    return word == QLatin1String("left") || letter == QLatin1String("L") ? PhotoEar::Left
                                                                         : PhotoEar::Right;
}

QString photoEarText(PhotoEar ear)
{
    switch (ear) {
    case PhotoEar::Left:
        return uiText(QStringLiteral("order_detail.photo.ear_left"), QStringLiteral("Left ear"));
    case PhotoEar::Right:
        return uiText(QStringLiteral("order_detail.photo.ear_right"), QStringLiteral("Right ear"));
    case PhotoEar::Unknown:
        break;
    }
    return {};
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QString>

// A captured photo on its way from the inspection page into an order.
struct ReportPhoto
{
    ReportPhoto(const QPixmap &pixmap = QPixmap(), const QString &name = QString(),
                const QByteArray &jpeg = QByteArray())
        : pixmap(pixmap), name(name), jpeg(jpeg)
    {
    }

    QPixmap pixmap;
    QString name; // file base name, or "left_N" / "right_N" for a photo without a file
    // The photo already encoded as JPEG (quality 95); when set it is stored as
    // it is, so the order holds the very bytes of the photo's file, and the
    // pixmap may be left null.
    QByteArray jpeg;
};

// The order's form of a photo: name + "|" + Base64 of the picture as JPEG at
// quality 95. Empty when the picture cannot be encoded (a null pixmap), since
// an entry without image data would only show up later as a broken photo.
QString photoEntry(const ReportPhoto &photo);

// photoEntry() of each photo in order, leaving out the ones that cannot be encoded.
QStringList photoEntries(const QList<ReportPhoto> &photos);

// The ear a stored photo shows, read from its name: capture files are named
// "yyyyMMdd_HHmmss_L" or "..._R" (with "_N" after the letter when a second
// photo fell into the same second), photos without a file "left_N" or
// "right_N". Names following neither pattern tell no ear.
enum class PhotoEar { Unknown, Left, Right };
PhotoEar photoEarOf(const QString &name);
// "Left ear" / "Right ear" in the current language; empty for an unknown ear.
QString photoEarText(PhotoEar ear);

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Where captured photos and their batch copies go, and how they are written.
class PhotoStorage
{
public:
    // `root`/yyyy-MM-dd: one folder per calendar day.
    static QString dayFolder(const QString &root, const QDate &date);

    // `dayFolder`/yyyyMMdd_HHmmss_<ear>.jpg, or with _2, _3 … before ".jpg"
    // for the first name no file has yet (several captures in one second).
    static QString capturePath(const QString &dayFolder, const QDateTime &time,
                               const QString &earLetter);

    // A batch copy of photo `position` (1-based) of an ear:
    // `folder`/yyyyMMdd_HHmmss_<ear>_<position>.jpg, or with _2, _3 … before
    // ".jpg" while a file of that name exists.
    static QString batchCopyPath(const QString &folder, const QDateTime &time,
                                 const QString &earLetter, int position);

    // Writes `bytes` to `path` whole or not at all: through a temporary file,
    // flushed and synced before it replaces the name, then checked on disk,
    // and the folder synced so the new name survives a power cut.
    // False on any failure (no folder, full disk, size limit, I/O error).
    static bool writeFile(const QString &path, const QByteArray &bytes);
};

#include "ui/mainwindow/photostorage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// The rename that gives the file its name is an entry in the folder, and only
// syncing the folder makes it last through a power cut. A filesystem that
// cannot sync folders at all (EINVAL) is no failed write.
bool syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}
#endif

QString stamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

// `base` + ".jpg", or `base` + "_N.jpg" with the first N from 2 that is free.
QString firstFreeName(const QString &base)
{
    QString path = base + QStringLiteral(".jpg");
    for (int counter = 2; QFileInfo::exists(path); ++counter)
        path = base + QStringLiteral("_%1.jpg").arg(counter);
    return path;
}

} // namespace

QString PhotoStorage::dayFolder(const QString &root, const QDate &date)
{
    return root + QLatin1Char('/') + date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString PhotoStorage::capturePath(const QString &dayFolder, const QDateTime &time,
                                  const QString &earLetter)
{
    return firstFreeName(QStringLiteral("%1/%2_%3").arg(dayFolder, stamp(time), earLetter));
}

QString PhotoStorage::batchCopyPath(const QString &folder, const QDateTime &time,
                                    const QString &earLetter, int position)
{
    return firstFreeName(QStringLiteral("%1/%2_%3_%4")
                             .arg(folder, stamp(time), earLetter, QString::number(position)));
}

bool PhotoStorage::writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile buffers small writes and its commit() does not report a
    // failed flush or sync, so both are checked here before the rename. An
    // uncommitted QSaveFile removes its temporary file.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false;
#ifdef Q_OS_UNIX
    if (::fdatasync(file.handle()) != 0)
        return false;
#endif
    if (!file.commit())
        return false;
    bool durable = QFileInfo(path).size() == bytes.size();
#ifdef Q_OS_UNIX
    durable = durable && syncFolder(QFileInfo(path).absolutePath());
#endif
    // Reported as not written, so no file of that name may stay behind.
    if (!durable)
        QFile::remove(path);
    return durable;
}

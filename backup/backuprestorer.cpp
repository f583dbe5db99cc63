#include "backup/backuprestorer.h"

#include "backup/backupmanifest.h"
#include "backup/backupreader.h"
#include "records/store/customerstore.h"
#include "records/store/jsonfilestore.h"
#include "records/store/storealerts.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

// A second name for the current file: instant even for a store of
// gigabytes, and the file never goes missing while it is replaced.
bool keepAside(const QString &path, const QString &kept)
{
#ifdef Q_OS_WIN
    return QFile::copy(path, kept);
#else
    return ::link(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()) == 0;
#endif
}

bool replace(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QString BackupRestorer::keptAsidePath(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".before-restore-") + stamp;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".before-restore-") + stamp + QLatin1Char('-') +
                    QString::number(n);
    return candidate;
}

BackupStatus BackupRestorer::restore(const QString &archivePath, const QString &dataDir,
                                     BackupControl &control, QStringList *keptAside)
{
    BackupReader reader(archivePath);
    BackupStatus status = reader.verify(control, dataDir);
    if (!status.isOk())
        return status;
    const QDir dir(dataDir);
    const QStringList names = BackupManifest::storeFileNames();
    const auto removeUnpacked = [&] {
        for (const QString &name : names)
            QFile::remove(BackupReader::extractedPath(dataDir, name));
    };
    if (control.isCancelled()) {
        removeUnpacked();
        return {BackupStatus::Cancelled};
    }

    // From here on the work takes no time worth cancelling.
    QStringList kept;
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path)) {
            kept.append(QString());
            continue;
        }
        const QString aside = keptAsidePath(path);
        if (!keepAside(path, aside)) {
            for (const QString &k : std::as_const(kept))
                if (!k.isEmpty())
                    QFile::remove(k);
            removeUnpacked();
            return {BackupStatus::WriteFailed, aside};
        }
        kept.append(aside);
    }
    JsonFileStore::syncDirectoryOf(dir.filePath(names.first()));

    for (int i = 0; i < names.size(); ++i) {
        const QString path = dir.filePath(names.at(i));
        const bool held = reader.manifest().file(names.at(i)) != nullptr;
        const bool done = held ? replace(BackupReader::extractedPath(dataDir, names.at(i)), path)
                               : (!QFileInfo::exists(path) || QFile::remove(path));
        if (done)
            continue;
        // Put back what was replaced already, so the folder is all old, not mixed.
        for (int k = 0; k <= i; ++k)
            if (!kept.at(k).isEmpty())
                replace(kept.at(k), dir.filePath(names.at(k)));
        removeUnpacked();
        return {BackupStatus::WriteFailed, path};
    }
    JsonFileStore::syncDirectoryOf(dir.filePath(names.first()));

    // The stores hold what they read of the old files; they read again.
    CustomerStore::instance().forget();
    for (const QString &name : names)
        StoreAlerts::instance()->clear(dir.filePath(name));
    for (const QString &k : std::as_const(kept))
        if (!k.isEmpty() && keptAside != nullptr)
            keptAside->append(k);
    qDebug() << "Restored" << dataDir << "from" << archivePath << "- kept aside:" << kept;
    return status;
}

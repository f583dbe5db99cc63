#pragma once

#include "backup/backupcontrol.h"
#include "backup/backupmanifest.h"
#include "backup/backupstatus.h"

#include <QString>

// Writes one backup archive of the store files in a data folder: an
// uncompressed tar (pax) that any computer opens, since the photos inside
// customers.json are JPEG already and a plain tar streams at disk speed. The
// archive is written under a temporary name, read back and checked against
// its manifest, and only then renamed into place; a failure or a cancel
// leaves nothing behind.
class BackupWriter
{
public:
    // Backs up the store files of `dataDir` into `archivePath`; `summary`
    // gives the manifest's record summary (its file list is filled here).
    // A store file that changes while it is being archived is archived again,
    // a few times, then reported instead of archiving a torn file.
    static BackupStatus write(const QString &dataDir, const QString &archivePath,
                              const BackupManifest &summary, BackupControl &control);

    // The temporary name the archive has until it has been checked.
    static QString partialPath(const QString &archivePath);

private:
    static BackupStatus writeOnce(const QString &dataDir, const QString &partial,
                                  BackupManifest *manifest, BackupControl &control);
};

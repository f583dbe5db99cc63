#pragma once

#include "backup/backupcontrol.h"
#include "backup/backupstatus.h"

#include <QString>
#include <QStringList>

// Puts the store files of a backup archive in place of the current ones. The
// archive is checked completely (and unpacked beside the store) before any
// current file is touched; the current files are then kept aside under
// "<name>.before-restore-<yyyyMMdd-HHmmss>" and replaced one by one. Store
// files the backup did not hold are moved aside too, so the folder is as it
// was when the backup was made.
class BackupRestorer
{
public:
    // `keptAside` receives the paths of the current files kept aside.
    static BackupStatus restore(const QString &archivePath, const QString &dataDir,
                                BackupControl &control, QStringList *keptAside = nullptr);

    static QString keptAsidePath(const QString &path);
};

#pragma once

#include "backup/backupcontrol.h"
#include "backup/backupmanifest.h"
#include "backup/backupstatus.h"

#include <QHash>
#include <QString>

// Reads a backup archive and trusts nothing in it: only plain files under the
// store files' own names are accepted (no folders, paths, links or devices),
// each must match the size and SHA-256 the manifest gives, and every file the
// manifest names must be there. Compressed archives and other formats are
// refused outright, which also rules out archives that unpack to far more
// than they take on disk.
class BackupReader
{
public:
    explicit BackupReader(const QString &archivePath);

    // Reads the manifest only, skipping over the files: enough to show what
    // the archive holds, not to trust it.
    BackupStatus readManifest();
    // Reads every file through and checks it against the manifest. With
    // `extractDir`, each store file is also written there under its name plus
    // ".restoring" (see extractedPath()); on any failure those are removed.
    BackupStatus verify(BackupControl &control, const QString &extractDir = QString());

    const BackupManifest &manifest() const { return m_manifest; }
    // Where verify() wrote the store file `name`.
    static QString extractedPath(const QString &extractDir, const QString &name);

private:
    BackupStatus read(BackupControl *control, const QString &extractDir);

    QString m_path;
    BackupManifest m_manifest;
};

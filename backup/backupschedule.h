#pragma once

#include <QDateTime>
#include <QFileInfoList>
#include <QString>
#include <QStringList>

// When automatic backups are due, what they are called, and which old ones go.
class BackupSchedule
{
public:
    enum class Period { Off, Daily, Weekly };

    // Whether a backup is due at `now` after the last one at `lastRun`
    // (invalid: never). A last run in the future (a clock set back) counts
    // as long ago, so backups do not stop until the clock catches up.
    static bool isDue(Period period, const QDateTime &lastRun, const QDateTime &now);

    // "lumaural-backup-yyyyMMdd-HHmmss.tar": sorts by time as text.
    static QString archiveName(const QDateTime &at);
    // The automatic backups in `folder`, oldest first; other files are not ours.
    static QFileInfoList backupsIn(const QString &folder);
    // Removes all but the newest `keep` backups in `folder` (at least one is
    // always kept) and leftovers of interrupted ones; returns what was removed.
    static QStringList prune(const QString &folder, int keep);

    static QString periodKey(Period period);
    static Period periodFromKey(const QString &key);
};

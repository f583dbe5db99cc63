#include "backup/backupschedule.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QRegularExpression &backupPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^lumaural-backup-\\d{8}-\\d{6}(-\\d+)?\\.tar$"));
    return pattern;
}

} // namespace

bool BackupSchedule::isDue(Period period, const QDateTime &lastRun, const QDateTime &now)
{
    if (period == Period::Off)
        return false;
    if (!lastRun.isValid() || lastRun > now)
        return true;
    // Counted in calendar days, so a daily backup made late yesterday is due
    // this morning rather than only at the same hour.
    const qint64 days = lastRun.date().daysTo(now.date());
    return days >= (period == Period::Daily ? 1 : 7);
}

QString BackupSchedule::archiveName(const QDateTime &at)
{
    return QStringLiteral("lumaural-backup-") + at.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QStringLiteral(".tar");
}

QFileInfoList BackupSchedule::backupsIn(const QString &folder)
{
    QFileInfoList found;
    const QFileInfoList all = QDir(folder).entryInfoList(
        {QStringLiteral("lumaural-backup-*.tar")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &info : all)
        if (backupPattern().match(info.fileName()).hasMatch())
            found.append(info);
    return found;
}

QStringList BackupSchedule::prune(const QString &folder, int keep)
{
    QStringList removed;
    const QFileInfoList backups = backupsIn(folder);
    const qsizetype excess = backups.size() - std::max(1, keep);
    for (qsizetype i = 0; i < excess; ++i)
        if (QFile::remove(backups.at(i).filePath()))
            removed.append(backups.at(i).filePath());
    const QFileInfoList partials = QDir(folder).entryInfoList(
        {QStringLiteral("lumaural-backup-*.tar.partial")}, QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &info : partials)
        if (QFile::remove(info.filePath()))
            removed.append(info.filePath());
    return removed;
}

QString BackupSchedule::periodKey(Period period)
{
    switch (period) {
    case Period::Daily:
        return QStringLiteral("daily");
    case Period::Weekly:
        return QStringLiteral("weekly");
    case Period::Off:
        break;
    }
    return QStringLiteral("off");
}

BackupSchedule::Period BackupSchedule::periodFromKey(const QString &key)
{
    if (key == QLatin1String("daily"))
        return Period::Daily;
    if (key == QLatin1String("weekly"))
        return Period::Weekly;
    return Period::Off;
}

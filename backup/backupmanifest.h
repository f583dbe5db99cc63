#pragma once

#include "records/store/customer.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// What a backup archive holds: each store file with its size and SHA-256, and
// a summary of the records for the user to recognise the backup by. Stored as
// "manifest.json", the archive's last entry, since the checksums are known
// only once the files have been streamed in.
class BackupManifest
{
public:
    struct File
    {
        QString name;
        qint64 size = 0;
        QByteArray sha256; // lower-case hex
    };

    // The entry name of the manifest itself.
    static QString entryName() { return QStringLiteral("manifest.json"); }
    // The store files a backup may hold; anything else in an archive is foreign.
    static const QStringList &storeFileNames();
    // A manifest is a few hundred bytes; a larger entry is not one.
    static constexpr qint64 MaxBytes = 64 * 1024;

    QDateTime createdAt;
    int orders = -1; // -1: not known
    int inspectors = -1;
    QString firstOrderAt; // createdAt of the oldest and the newest order
    QString lastOrderAt;
    QList<File> files; // the store files that existed, in archive order

    const File *file(const QString &name) const;

    // A manifest with the summary of these records and no files yet.
    static BackupManifest summaryOf(const QList<Customer> &orders, int inspectors);

    QByteArray toJson() const;
    // False when `bytes` is not a manifest of this program, or one that names
    // a file twice or a file that is no store file.
    static bool fromJson(const QByteArray &bytes, BackupManifest *manifest);
};

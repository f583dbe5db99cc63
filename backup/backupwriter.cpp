#include "backup/backupwriter.h"

#include "backup/backupreader.h"
#include "backup/sha256.h"
#include "records/store/fileidentity.h"
#include "records/store/jsonfilestore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <memory>

namespace {

constexpr qint64 BlockBytes = 1 << 20;
// A file saved again and again during a backup is given up on after this.
constexpr int Attempts = 3;

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_write_free)>;
using EntryPtr = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

EntryPtr fileEntry(const QString &name, qint64 size, qint64 mtime)
{
    EntryPtr entry(archive_entry_new(), &archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), size);
    archive_entry_set_mtime(entry.get(), mtime, 0);
    return entry;
}

} // namespace

QString BackupWriter::partialPath(const QString &archivePath)
{
    return archivePath + QStringLiteral(".partial");
}

BackupStatus BackupWriter::write(const QString &dataDir, const QString &archivePath,
                                 const BackupManifest &summary, BackupControl &control)
{
    const QString partial = partialPath(archivePath);
    BackupStatus status;
    BackupManifest manifest;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        manifest = summary;
        status = writeOnce(dataDir, partial, &manifest, control);
        if (status.code() != BackupStatus::SourceChanged)
            break;
        qDebug() << "Store file changed during the backup, starting again:" << status.detail();
    }
    if (status.isOk()) {
        // What reached the disk is read back, not what was meant to be written.
        BackupReader reader(partial);
        status = reader.verify(control);
        if (status.isOk() && reader.manifest().files.size() != manifest.files.size())
            status = {BackupStatus::Damaged, partial};
    }
    if (status.isOk() && std::rename(QFile::encodeName(partial).constData(),
                                     QFile::encodeName(archivePath).constData()) != 0)
        status = {BackupStatus::WriteFailed, archivePath};
    if (!status.isOk()) {
        QFile::remove(partial);
        qWarning() << "Backup to" << archivePath << "failed:" << status.code() << status.detail();
        return status;
    }
    JsonFileStore::syncDirectoryOf(archivePath);
    qDebug() << "Backup written:" << archivePath;
    return status;
}

BackupStatus BackupWriter::writeOnce(const QString &dataDir, const QString &partial,
                                     BackupManifest *manifest, BackupControl &control)
{
    manifest->files.clear();
    manifest->createdAt = QDateTime::currentDateTime();
    const QDir dir(dataDir);
    qint64 total = 0;
    for (const QString &name : BackupManifest::storeFileNames())
        total += std::max<qint64>(0, QFileInfo(dir.filePath(name)).size());
    // Written once, read back once.
    control.setTotal(2 * total);

    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return {BackupStatus::WriteFailed, partial};
    ArchivePtr a(archive_write_new(), &archive_write_free);
    archive_write_set_format_pax_restricted(a.get());
    archive_write_add_filter_none(a.get());
    archive_write_set_bytes_per_block(a.get(), int(BlockBytes));
    archive_write_set_bytes_in_last_block(a.get(), 1);
    if (archive_write_open_fd(a.get(), out.handle()) != ARCHIVE_OK)
        return {BackupStatus::WriteFailed, partial};

    QByteArray buffer(BlockBytes, Qt::Uninitialized);
    for (const QString &name : BackupManifest::storeFileNames()) {
        const QString path = dir.filePath(name);
        const FileIdentity before = FileIdentity::ofPath(path);
        if (!before.isValid()) {
            if (QFileInfo::exists(path))
                return {BackupStatus::SourceUnreadable, name};
            continue; // never written yet: the backup holds none either
        }
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return {BackupStatus::SourceUnreadable, name};
        if (FileIdentity::ofHandle(source.handle()) != before)
            return {BackupStatus::SourceChanged, name};
        const EntryPtr entry =
            fileEntry(name, before.size(), QFileInfo(path).lastModified().toSecsSinceEpoch());
        if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK)
            return {BackupStatus::WriteFailed, partial};
        Sha256 hash;
        qint64 left = before.size();
        while (left > 0) {
            if (control.isCancelled())
                return {BackupStatus::Cancelled};
            const qint64 n = source.read(buffer.data(), std::min(left, BlockBytes));
            if (n < 0)
                return {BackupStatus::SourceUnreadable, name};
            if (n == 0)
                return {BackupStatus::SourceChanged, name}; // shrank under us
            hash.addData(buffer.constData(), n);
            if (archive_write_data(a.get(), buffer.constData(), size_t(n)) != n)
                return {BackupStatus::WriteFailed, partial};
            left -= n;
            control.advance(n);
        }
        // Same file, same size, same time: nothing was written to it while
        // it was read, and it was not replaced by a newer save.
        if (FileIdentity::ofHandle(source.handle()) != before ||
            FileIdentity::ofPath(path) != before)
            return {BackupStatus::SourceChanged, name};
        manifest->files.append({name, before.size(), hash.hexResult()});
    }

    const QByteArray json = manifest->toJson();
    const EntryPtr entry =
        fileEntry(BackupManifest::entryName(), json.size(), manifest->createdAt.toSecsSinceEpoch());
    if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK ||
        archive_write_data(a.get(), json.constData(), size_t(json.size())) != json.size() ||
        archive_write_close(a.get()) != ARCHIVE_OK)
        return {BackupStatus::WriteFailed, partial};
    const qint64 written = archive_filter_bytes(a.get(), -1);
    if (!JsonFileStore::syncFile(out.handle()) || out.size() != written)
        return {BackupStatus::WriteFailed, partial};
    return {};
}

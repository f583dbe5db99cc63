#include "backup/backupreader.h"

#include "backup/sha256.h"
#include "records/store/jsonfilestore.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

constexpr qint64 BlockBytes = 1 << 20;

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && name != QLatin1String(".") &&
           name != QLatin1String("..") && !name.contains(QLatin1Char(':'));
}

} // namespace

BackupReader::BackupReader(const QString &archivePath) : m_path(archivePath) {}

QString BackupReader::extractedPath(const QString &extractDir, const QString &name)
{
    return QDir(extractDir).filePath(name + QStringLiteral(".restoring"));
}

BackupStatus BackupReader::readManifest()
{
    return read(nullptr, QString());
}

BackupStatus BackupReader::verify(BackupControl &control, const QString &extractDir)
{
    const BackupStatus status = read(&control, extractDir);
    if (!status.isOk() && !extractDir.isEmpty())
        for (const QString &name : BackupManifest::storeFileNames())
            QFile::remove(extractedPath(extractDir, name));
    return status;
}

BackupStatus BackupReader::read(BackupControl *control, const QString &extractDir)
{
    m_manifest = BackupManifest();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {BackupStatus::SourceUnreadable, m_path};
    // A backup being checked has set its own total, counting the writing too.
    if (control != nullptr && control->total() == 0)
        control->setTotal(file.size());

    // Only uncompressed tar: no decompression filter is enabled, so a
    // compressed or zip archive is not recognised at all.
    ArchivePtr a(archive_read_new(), &archive_read_free);
    archive_read_support_format_tar(a.get());
    if (archive_read_open_fd(a.get(), file.handle(), BlockBytes) != ARCHIVE_OK)
        return {BackupStatus::NotAnArchive};

    struct Seen
    {
        qint64 size = 0;
        QByteArray sha256;
    };
    QHash<QString, Seen> seen;
    bool haveManifest = false;
    int entries = 0;
    for (;;) {
        archive_entry *entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN)
            return entries == 0 ? BackupStatus(BackupStatus::NotAnArchive)
                                : BackupStatus(BackupStatus::Damaged,
                                               QString::fromUtf8(archive_error_string(a.get())));
        ++entries;
        const QString name = QString::fromUtf8(archive_entry_pathname_utf8(entry)
                                                   ? archive_entry_pathname_utf8(entry)
                                                   : archive_entry_pathname(entry));
        if (!isPlainName(name))
            return {BackupStatus::Unsafe, name};
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr ||
            archive_entry_symlink(entry) != nullptr)
            return {BackupStatus::Unsafe, name};
        const bool isManifest = name == BackupManifest::entryName();
        if (!isManifest && !BackupManifest::storeFileNames().contains(name))
            return {BackupStatus::NotAnArchive};
        if (seen.contains(name) || (isManifest && haveManifest))
            return {BackupStatus::Damaged, name};
        if (!archive_entry_size_is_set(entry))
            return {BackupStatus::Damaged, name};
        const qint64 declared = archive_entry_size(entry);

        if (isManifest) {
            if (declared > BackupManifest::MaxBytes)
                return {BackupStatus::NotAnArchive};
            QByteArray bytes(declared, Qt::Uninitialized);
            if (archive_read_data(a.get(), bytes.data(), size_t(declared)) != declared)
                return {BackupStatus::Damaged, name};
            if (!BackupManifest::fromJson(bytes, &m_manifest))
                return {BackupStatus::NotAnArchive};
            haveManifest = true;
            continue;
        }
        if (control == nullptr) {
            // Shown before anything is trusted; the sizes still have to agree.
            seen.insert(name, {declared, {}});
            if (archive_read_data_skip(a.get()) < ARCHIVE_WARN)
                return {BackupStatus::Damaged, name};
            continue;
        }

        std::unique_ptr<QFile> out;
        if (!extractDir.isEmpty()) {
            out = std::make_unique<QFile>(extractedPath(extractDir, name));
            if (!out->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                return {BackupStatus::WriteFailed, out->fileName()};
        }
        Sha256 hash;
        qint64 total = 0;
        for (;;) {
            if (control->isCancelled())
                return {BackupStatus::Cancelled};
            // Straight from libarchive's own buffer: no copy on the way.
            const void *block = nullptr;
            size_t n = 0;
            la_int64_t offset = 0;
            const int r = archive_read_data_block(a.get(), &block, &n, &offset);
            if (r == ARCHIVE_EOF)
                break;
            if (r < ARCHIVE_WARN)
                return {BackupStatus::Damaged, QString::fromUtf8(archive_error_string(a.get()))};
            // A gap would be a sparse entry, which no backup of ours holds.
            if (offset != total || total + qint64(n) > declared)
                return {BackupStatus::Damaged, name};
            const char *data = static_cast<const char *>(block);
            total += qint64(n);
            hash.addData(data, qint64(n));
            if (out && out->write(data, qint64(n)) != qint64(n))
                return {BackupStatus::WriteFailed, out->fileName()};
            control->advance(qint64(n));
        }
        if (total != declared)
            return {BackupStatus::Damaged, name};
        if (out && (!JsonFileStore::syncFile(out->handle()) || out->size() != total))
            return {BackupStatus::WriteFailed, out->fileName()};
        seen.insert(name, {total, hash.hexResult()});
    }

    if (!haveManifest)
        return entries == 0 ? BackupStatus(BackupStatus::NotAnArchive)
                            : BackupStatus(BackupStatus::Damaged, BackupManifest::entryName());
    for (const BackupManifest::File &f : std::as_const(m_manifest.files)) {
        const auto found = seen.constFind(f.name);
        if (found == seen.cend())
            return {BackupStatus::Damaged, f.name};
        if (found->size != f.size || (control != nullptr && found->sha256 != f.sha256))
            return {BackupStatus::Damaged, f.name};
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        if (m_manifest.file(it.key()) == nullptr)
            return {BackupStatus::Damaged, it.key()};
    if (!extractDir.isEmpty() && !JsonFileStore::syncDirectoryOf(extractedPath(extractDir, {})))
        return {BackupStatus::WriteFailed, extractDir};
    return {};
}

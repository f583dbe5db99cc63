#pragma once

#include "records/store/fileidentity.h"

#include <QJsonObject>
#include <QString>

#include <functional>

class QSaveFile;

// Whole-file JSON storage shared by the record stores and the report
// configuration: atomic writes, and a stored file that cannot be read is kept
// aside instead of being overwritten, or left alone where it cannot be kept.
namespace JsonFileStore {

// The per-user directory that holds customers.json, fitters.json and
// reportconfig.json; created on every call.
QString dataDirectory();

// Qt's JSON reader refuses documents of 2 GiB and more.
constexpr qint64 MaxJsonBytes = (qint64(1) << 31) - 1;

enum class ReadStatus {
    Ok,          // a JSON object was read
    Missing,     // no file (or an empty one): nothing to lose
    Damaged,     // the content is not a JSON object we can use; kept aside on the next save
    TooLarge,    // possibly valid, but too large to read: left alone, saves refused
    Unavailable, // exists but cannot be opened or read now: left alone, saves refused
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Missing;
    QJsonObject object;
};

// Reads `path` as a JSON object. `rootArrayKey`, when given, must hold an
// array for the file to count as readable; a file larger than `maxBytes`
// (when positive) counts as damaged without being read. A file that is too
// large or unavailable is reported through StoreAlerts. After any failed read
// the next save of `path` first keeps a copy of what is there, as the caller
// may be holding an empty list in place of the file's content.
ReadResult readObject(const QString &path, const QString &rootArrayKey = QString(),
                      qint64 maxBytes = -1);

// Writes `object` as indented JSON, replacing the file only once the new
// content is completely on disk. A damaged file there (see readObject), or any
// file after a failed read, is first kept as "<name>.unreadable-<yyyyMMdd-HHmmss>";
// a file too large to read or unavailable is never replaced. Content the reader
// would refuse (over `maxBytes` or MaxJsonBytes) is not written.
// Returns true only when the new file was committed.
bool writeObject(const QString &path, const QJsonObject &object,
                 const QString &rootArrayKey = QString(), qint64 maxBytes = -1);

// Flushes and syncs `file`, checks that `expectedSize` bytes reached the disk
// and only then commits it; otherwise the writing is cancelled. QSaveFile's
// own commit() reports neither a failed flush of its buffer nor a failed sync,
// and leaves the folder unsynced: after a power cut the new name could be gone.
bool commitSaveFile(QSaveFile &file, qint64 expectedSize);
// Writes `bytes` as the whole new content of `path` through a QSaveFile and
// commitSaveFile(): the old file stays until the new one is on the disk.
bool writeFileWhole(const QString &path, const QByteArray &bytes);
// Syncs the folder holding `path`, so that a file created or renamed there
// keeps its name through a power cut.
bool syncDirectoryOf(const QString &path);
// Syncs an open file's content to disk; true also where the file system
// cannot sync at all.
bool syncFile(int handle);

// For stores that read and write their files themselves: what a read of
// `path` found, `identity` being the file that was read.
void noteRead(const QString &path, const FileIdentity &identity, ReadStatus status);
// Whether the file at `path` may be replaced now, keeping a copy aside first
// where needed. `probe` reads the file when this process does not know it.
bool prepareToReplace(const QString &path, const std::function<ReadStatus()> &probe);
// After committing a new `path` whose identity is `identity`: remembered as
// known good, and leftovers of interrupted saves removed.
void noteWritten(const QString &path, const FileIdentity &identity);

// A free name beside `path` for keeping it aside, such as
// "customers.json.unreadable-20261207-101500"; exposed for tests and log lines.
QString preservedPathFor(const QString &path, const QString &reason = QStringLiteral("unreadable"));

} // namespace JsonFileStore

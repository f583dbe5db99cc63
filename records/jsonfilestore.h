#pragma once

#include <QJsonObject>
#include <QString>

// Whole-file JSON storage shared by the record stores and the report
// configuration: atomic writes, and a stored file that cannot be read is kept
// aside instead of being overwritten.
namespace JsonFileStore {

// The per-user directory that holds customers.json, fitters.json and
// reportconfig.json; created on every call.
QString dataDirectory();

enum class ReadStatus {
    Ok,         // a JSON object was read
    Missing,    // no file (or an empty one): nothing to lose
    Unreadable, // the file exists but is not a JSON object we can use
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Missing;
    QJsonObject object;
};

// Reads `path` as a JSON object. `rootArrayKey`, when given, must hold an
// array for the file to count as readable; a file larger than `maxBytes`
// (when positive) counts as unreadable without being read.
ReadResult readObject(const QString &path, const QString &rootArrayKey = QString(),
                      qint64 maxBytes = -1);

// Writes `object` as indented JSON, replacing the file only once the new
// content is completely on disk. If the file there now is unreadable (see
// readObject) it is first kept as "<name>.unreadable-<yyyyMMdd-HHmmss>".
// Returns true only when the new file was committed.
bool writeObject(const QString &path, const QJsonObject &object,
                 const QString &rootArrayKey = QString(), qint64 maxBytes = -1);

// Where an unreadable file is kept; exposed for tests and log lines.
QString preservedPathFor(const QString &path);

} // namespace JsonFileStore

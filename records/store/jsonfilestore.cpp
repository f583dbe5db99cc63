#include "records/store/jsonfilestore.h"

#include "records/store/storealerts.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace JsonFileStore {

namespace {

// What this process knows of each store file. Saving checks the file it
// replaces; a stamp of the file as last read good or written spares that
// check a second parse of a large customers.json on every save.
struct FileState
{
    FileIdentity good;
    // A read failed since the last save: whoever saves next may hold an empty
    // list in place of the file's content, so a copy of the file is kept first.
    bool keepCopy = false;
};

QHash<QString, FileState> &fileStates()
{
    static QHash<QString, FileState> states;
    return states;
}

ReadResult readFile(const QString &path, const QString &rootArrayKey, qint64 maxBytes)
{
    QFile file(path);
    if (!file.exists())
        return {};
    const qint64 size = file.size();
    if (maxBytes > 0 && size > maxBytes)
        return {ReadStatus::Damaged, {}}; // we never write that much
    if (size > MaxJsonBytes)
        return {ReadStatus::TooLarge, {}};
    // Locked, no permission, a folder: we cannot tell what is inside.
    if (!file.open(QIODevice::ReadOnly))
        return {ReadStatus::Unavailable, {}};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() < size)
        return {ReadStatus::Unavailable, {}};
    file.close();
    if (bytes.trimmed().isEmpty())
        return {};

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::DocumentTooLarge)
        return {ReadStatus::TooLarge, {}};
    if (!doc.isObject())
        return {ReadStatus::Damaged, {}};
    const QJsonObject object = doc.object();
    if (!rootArrayKey.isEmpty() && object.contains(rootArrayKey) &&
        !object.value(rootArrayKey).isArray())
        return {ReadStatus::Damaged, {}};
    return {ReadStatus::Ok, object};
}

} // namespace

void noteRead(const QString &path, const FileIdentity &identity, ReadStatus status)
{
    FileState &state = fileStates()[path];
    state.good = status == ReadStatus::Ok ? identity : FileIdentity();
    if (status != ReadStatus::TooLarge && status != ReadStatus::Unavailable)
        StoreAlerts::instance()->clear(path);
    if (status == ReadStatus::Ok || status == ReadStatus::Missing)
        return;
    state.keepCopy = true;
    if (status == ReadStatus::TooLarge) {
        qWarning() << "File too large to read, left as it is:" << path;
        StoreAlerts::instance()->report(path, StoreAlerts::Problem::TooLarge);
    } else if (status == ReadStatus::Unavailable) {
        qWarning() << "File cannot be read now, left as it is:" << path;
        StoreAlerts::instance()->report(path, StoreAlerts::Problem::Unavailable);
    }
}

namespace {

bool syncToDisk(int handle)
{
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    // Some file systems cannot sync at all; what they hold is as final as it gets.
    return ::fsync(handle) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

} // namespace

bool syncFile(int handle)
{
    return syncToDisk(handle);
}

bool syncDirectoryOf(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true; // NTFS logs its renames; a folder cannot be flushed from here
#else
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int handle = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        // A folder we may write to but not list: nothing more can be done.
        qWarning() << "Cannot open" << dir << "to sync it";
        return true;
    }
    const bool synced = syncToDisk(handle);
    ::close(handle);
    if (!synced)
        qWarning() << "Cannot sync the folder of" << path;
    return synced;
#endif
}

namespace {

bool keepAside(const QString &path)
{
    const QString kept = preservedPathFor(path);
    bool complete = QFile::copy(path, kept);
    if (complete) {
        // QFile::copy does not report every failed write either.
        QFile copy(kept);
        // Its name is on disk too before the original is replaced.
        complete = copy.open(QIODevice::ReadOnly) && syncToDisk(copy.handle()) &&
                   copy.size() == QFileInfo(path).size() && syncDirectoryOf(kept);
        if (!complete)
            QFile::remove(kept);
    }
    if (!complete) {
        qWarning() << "Cannot keep unreadable file" << path << "as" << kept << "- not replacing it";
        return false;
    }
    qWarning() << "File kept as" << kept << "before replacing" << path;
    return true;
}

} // namespace

bool prepareToReplace(const QString &path, const std::function<ReadStatus()> &probe)
{
    const FileState state = fileStates().value(path);
    if (!state.keepCopy && state.good.isValid() && state.good == FileIdentity::ofPath(path))
        return true;
    switch (probe()) {
    case ReadStatus::Missing:
        return true;
    case ReadStatus::TooLarge:
    case ReadStatus::Unavailable:
        return false; // it cannot be read, so it cannot be kept either
    case ReadStatus::Ok:
        if (!state.keepCopy)
            return true;
        break;
    case ReadStatus::Damaged:
        break;
    }
    return keepAside(path);
}

namespace {

// QSaveFile's temporary name is the file name, a dot and six random ASCII
// letters. A copy named by hand, "backup", "BACKUP" or "Before", fits that
// pattern too, so only letters that mix cases beyond a capital initial count;
// that passes over one random name in 21, which stays until removed by hand.
bool looksLikeSaveFileTemp(const QString &suffix)
{
    static const QRegularExpression random(QStringLiteral("^[A-Za-z]{6}$"));
    if (!random.match(suffix).hasMatch())
        return false;
    const QString rest = suffix.mid(1);
    return suffix != suffix.toLower() && suffix != suffix.toUpper() && rest != rest.toLower();
}

// A save cut off between QSaveFile linking its new file under the temporary
// name and renaming it leaves that file beside the store for good.
void removeLeftoverTemps(const QString &path)
{
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QFileInfoList candidates = info.dir().entryInfoList(
        {prefix + QStringLiteral("??????")},
        QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QFileInfo &candidate : candidates) {
        const QString name = candidate.fileName();
        if (!name.startsWith(prefix) || !looksLikeSaveFileTemp(name.mid(prefix.size())))
            continue;
        if (QFile::remove(candidate.filePath()))
            qDebug() << "Removed the leftover of an interrupted save:" << candidate.filePath();
    }
}

} // namespace

QString dataDirectory()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.Quillmere");
    QDir().mkpath(dir);
    return dir;
}

ReadResult readObject(const QString &path, const QString &rootArrayKey, qint64 maxBytes)
{
    // Stamped before reading: a file replaced meanwhile does not pass as read.
    const FileIdentity stamp = FileIdentity::ofPath(path);
    ReadResult result = readFile(path, rootArrayKey, maxBytes);
    noteRead(path, stamp, result.status);
    return result;
}

void noteWritten(const QString &path, const FileIdentity &identity)
{
    fileStates().insert(path, {identity, false});
    StoreAlerts::instance()->clear(path);
    removeLeftoverTemps(path);
}

QString preservedPathFor(const QString &path, const QString &reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QLatin1Char('.') + reason + QLatin1Char('-') + stamp;
    QString candidate = base;
    // Two failures within one second must not overwrite the first kept copy.
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

bool commitSaveFile(QSaveFile &file, qint64 expectedSize)
{
    if (!file.flush() || !syncToDisk(file.handle()) || file.size() != expectedSize) {
        qWarning() << "Write to" << file.fileName()
                   << "did not reach the disk:" << file.errorString();
        file.cancelWriting();
        return false;
    }
    // The rename is only as lasting as the folder's entry for it.
    return file.commit() && syncDirectoryOf(file.fileName());
}

bool writeFileWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return commitSaveFile(file, bytes.size());
}

bool writeObject(const QString &path, const QJsonObject &object, const QString &rootArrayKey,
                 qint64 maxBytes)
{
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const qint64 readable = maxBytes > 0 ? std::min(maxBytes, MaxJsonBytes) : MaxJsonBytes;
    if (bytes.size() > readable) {
        qWarning() << "Not saving" << path << "-" << bytes.size() << "bytes could not be read back";
        return false;
    }
    const auto probe = [&] { return readObject(path, rootArrayKey, maxBytes).status; };
    if (!prepareToReplace(path, probe))
        return false;
    if (!writeFileWhole(path, bytes))
        return false;
    noteWritten(path, FileIdentity::ofPath(path));
    return true;
}

} // namespace JsonFileStore

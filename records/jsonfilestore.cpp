#include "records/jsonfilestore.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace JsonFileStore {

namespace {

// Files this process last read as good or wrote itself, by size and time of
// change. Saving checks the file it replaces; with this the check does not
// parse a large customers.json a second time on every save.
struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp &other) const
    {
        return size == other.size && modified == other.modified;
    }
};

QHash<QString, FileStamp> &knownGoodFiles()
{
    static QHash<QString, FileStamp> files;
    return files;
}

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified()};
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
    QFile file(path);
    if (!file.exists())
        return {};
    if (maxBytes > 0 && file.size() > maxBytes)
        return {ReadStatus::Unreadable, {}};
    if (!file.open(QIODevice::ReadOnly)) {
        // Locked or no permission: we cannot tell what is inside, so treat it
        // as unreadable and never overwrite it unseen.
        return {ReadStatus::Unreadable, {}};
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.trimmed().isEmpty())
        return {};

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (!doc.isObject())
        return {ReadStatus::Unreadable, {}};
    const QJsonObject object = doc.object();
    if (!rootArrayKey.isEmpty() && object.contains(rootArrayKey) &&
        !object.value(rootArrayKey).isArray())
        return {ReadStatus::Unreadable, {}};
    knownGoodFiles().insert(path, stampOf(path));
    return {ReadStatus::Ok, object};
}

QString preservedPathFor(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".unreadable-") + stamp;
    // Two failures within one second must not overwrite the first kept copy.
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate =
            path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    return candidate;
}

static bool preserveIfUnreadable(const QString &path, const QString &rootArrayKey, qint64 maxBytes)
{
    const auto known = knownGoodFiles().constFind(path);
    if (known != knownGoodFiles().constEnd() && *known == stampOf(path))
        return true;
    if (readObject(path, rootArrayKey, maxBytes).status != ReadStatus::Unreadable)
        return true;
    const QString kept = preservedPathFor(path);
    if (!QFile::copy(path, kept)) {
        qWarning() << "Cannot keep unreadable file" << path << "as" << kept << "- not replacing it";
        return false;
    }
    qWarning() << "Unreadable file kept as" << kept << "before replacing" << path;
    return true;
}

bool writeObject(const QString &path, const QJsonObject &object, const QString &rootArrayKey,
                 qint64 maxBytes)
{
    if (!preserveIfUnreadable(path, rootArrayKey, maxBytes))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    knownGoodFiles().insert(path, stampOf(path));
    return true;
}

} // namespace JsonFileStore

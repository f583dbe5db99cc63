#include "settings/usersettings.h"

#include "records/store/jsonfilestore.h"

#include <algorithm>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStringConverter>

namespace {

const QString LanguageKey = QStringLiteral("Language/Selected");
const QString PhotoFolderKey = QStringLiteral("Paths/PhotoFolder");
const QString ResolutionKey = QStringLiteral("Device/Resolution");
const QString BackupPeriodKey = QStringLiteral("Backup/Period");
const QString BackupFolderKey = QStringLiteral("Backup/Folder");
const QString BackupKeepKey = QStringLiteral("Backup/Keep");
const QString LastBackupKey = QStringLiteral("Backup/LastRun");
const QString RotationKey = QStringLiteral("View/Rotation");
const QString MirroredKey = QStringLiteral("View/Mirrored");
const QString SharpestCaptureKey = QStringLiteral("Capture/Sharpest");
constexpr int MaxBackupKeep = 99;
const QString RecordsKeptOnKey = QStringLiteral("Records/KeptOn");
const QString ServerHostKey = QStringLiteral("Records/ServerHost");
const QString ServerPortKey = QStringLiteral("Records/ServerPort");
const QString ServerDatabaseKey = QStringLiteral("Records/ServerDatabase");
const QString ServerUserKey = QStringLiteral("Records/ServerUser");
const QString ServerSslModeKey = QStringLiteral("Records/ServerSslMode");
const QString ServerSslRootCertKey = QStringLiteral("Records/ServerSslRootCert");

bool isSslMode(const QString &mode)
{
    static const QStringList modes{QStringLiteral("disable"),   QStringLiteral("allow"),
                                   QStringLiteral("prefer"),    QStringLiteral("require"),
                                   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    return modes.contains(mode);
}

bool isBackupPeriod(const QString &value)
{
    return value == QLatin1String("off") || value == QLatin1String("daily") ||
           value == QLatin1String("weekly");
}

// Three short values; anything far larger is not this file.
constexpr qint64 MaxFileBytes = 64 * 1024;

const QStringList &knownResolutions()
{
    static const QStringList list{QStringLiteral("320*240"), QStringLiteral("640*480"),
                                  QStringLiteral("1280*720"), QStringLiteral("1920*1080")};
    return list;
}

bool isLanguageCode(const QString &value)
{
    static const QRegularExpression code(QStringLiteral("^[A-Za-z]{2,3}(_[A-Za-z0-9]{2,8})?$"));
    return code.match(value).hasMatch();
}

// A value in quotes, as QSettings reads it back: the quotes keep commas,
// semicolons and blanks at either end part of the value.
QByteArray quoted(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return '"' + escaped.toUtf8() + '"';
}

bool hasControlCharacters(const QString &value)
{
    return std::any_of(value.cbegin(), value.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

} // namespace

QString UserSettings::standardFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/lumaural.ini");
}

UserSettings &UserSettings::instance()
{
    static UserSettings settings(standardFilePath());
    return settings;
}

UserSettings::UserSettings(const QString &filePath) : m_path(filePath)
{
    load();
}

void UserSettings::load()
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return;
    const auto ignore = [this](const char *why) {
        m_ignored = true;
        qWarning() << "Ignoring settings file" << m_path << ":" << why;
    };
    if (!info.isFile() || info.size() > MaxFileBytes)
        return ignore("not a small regular file");
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return ignore("cannot be read");
    const QByteArray bytes = file.readAll();
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        return ignore("not a text file");
    // QSettings skips lines it cannot read; a file made of such lines is not ours.
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
            const QString l = line.trimmed();
            return !l.isEmpty() && !l.startsWith(QLatin1Char('[')) &&
                   !l.startsWith(QLatin1Char(';')) && !l.startsWith(QLatin1Char('#')) &&
                   !l.contains(QLatin1Char('='));
        }))
        return ignore("not an INI file");

    const QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return ignore("damaged");
    // Keys of another program would be lost on our next save; keep that file whole instead.
    const QSet<QString> ours{LanguageKey,      PhotoFolderKey,       ResolutionKey,
                             BackupPeriodKey,  BackupFolderKey,      BackupKeepKey,
                             LastBackupKey,    RecordsKeptOnKey,     ServerHostKey,
                             ServerPortKey,    ServerDatabaseKey,    ServerUserKey,
                             ServerSslModeKey, ServerSslRootCertKey, RotationKey,
                             MirroredKey,      SharpestCaptureKey};
    const QStringList keys = settings.allKeys();
    if (std::any_of(keys.cbegin(), keys.cend(),
                    [&](const QString &k) { return !ours.contains(k); }))
        return ignore("written by another program");

    m_language = settings.value(LanguageKey).toString().trimmed();
    const QString folder = settings.value(PhotoFolderKey).toString();
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && !hasControlCharacters(folder))
        m_photoFolder = QDir::cleanPath(folder);
    else if (!folder.isEmpty())
        qWarning() << "Ignoring photo folder" << folder << "from" << m_path;
    const QString resolution = settings.value(ResolutionKey).toString().trimmed();
    if (knownResolutions().contains(resolution))
        m_resolution = resolution;
    else if (!resolution.isEmpty())
        qWarning() << "Ignoring resolution" << resolution << "from" << m_path;
    const QString period = settings.value(BackupPeriodKey).toString().trimmed();
    const QString backupFolder = settings.value(BackupFolderKey).toString();
    const int keep = settings.value(BackupKeepKey).toInt();
    if (isBackupPeriod(period) && !backupFolder.isEmpty() && QDir::isAbsolutePath(backupFolder) &&
        !hasControlCharacters(backupFolder) && keep >= 1 && keep <= MaxBackupKeep) {
        m_backupPeriod = period;
        m_backupFolder = QDir::cleanPath(backupFolder);
        m_backupKeep = keep;
    } else if (!period.isEmpty()) {
        qWarning() << "Ignoring the backup schedule from" << m_path;
    }
    m_lastBackup = QDateTime::fromString(settings.value(LastBackupKey).toString(), Qt::ISODate);
    if (settings.contains(RotationKey) || settings.contains(MirroredKey)) {
        bool number = false;
        const int rotation = settings.value(RotationKey, 0).toInt(&number);
        const QString mirrored = settings.value(MirroredKey, QStringLiteral("false")).toString();
        if (number && rotation % 90 == 0 && rotation >= 0 && rotation < 360 &&
            (mirrored == QLatin1String("true") || mirrored == QLatin1String("false"))) {
            m_viewRotation = rotation;
            m_viewMirrored = mirrored == QLatin1String("true");
            m_viewChosen = true;
        } else {
            qWarning() << "Ignoring the view orientation from" << m_path;
        }
    }
    const QString sharpest = settings.value(SharpestCaptureKey).toString().trimmed();
    if (sharpest == QLatin1String("false"))
        m_sharpestCapture = false;
    else if (!sharpest.isEmpty() && sharpest != QLatin1String("true"))
        qWarning() << "Ignoring the capture choice" << sharpest << "from" << m_path;

    RecordsServer server;
    server.enabled = settings.value(RecordsKeptOnKey).toString() == QLatin1String("server");
    server.host = settings.value(ServerHostKey).toString().trimmed();
    server.port = settings.value(ServerPortKey, 5432).toInt();
    server.database = settings.value(ServerDatabaseKey).toString().trimmed();
    server.user = settings.value(ServerUserKey).toString().trimmed();
    server.sslMode = settings.value(ServerSslModeKey, QStringLiteral("prefer")).toString();
    server.sslRootCert = settings.value(ServerSslRootCertKey).toString();
    if (!setRecordsServerValue(server) && settings.contains(RecordsKeptOnKey))
        qWarning() << "Ignoring the records server from" << m_path;
}

bool UserSettings::setRecordsServerValue(const RecordsServer &server)
{
    const auto plain = [](const QString &value) {
        return !hasControlCharacters(value) && !value.contains(QLatin1Char(';'));
    };
    if (server.port < 0 || server.port > 65535 || !isSslMode(server.sslMode) ||
        !plain(server.host) || !plain(server.database) || !plain(server.user) ||
        !plain(server.sslRootCert))
        return false;
    m_recordsServer = server;
    return true;
}

bool UserSettings::setRecordsServer(const RecordsServer &server)
{
    return setRecordsServerValue(server) && save();
}

QString UserSettings::languageCode() const
{
    const QString value = m_language.toLower();
    if (value == QLatin1String("english"))
        return QStringLiteral("en_US");
    if (value == QLatin1String("german"))
        return QStringLiteral("de_DE");
    if (value == QLatin1String("chinese"))
        return QStringLiteral("zh_CN");
    return isLanguageCode(m_language) ? m_language : QString();
}

QString UserSettings::languageValue(const QString &code)
{
    if (code == QLatin1String("en_US"))
        return QStringLiteral("english");
    if (code == QLatin1String("de_DE"))
        return QStringLiteral("german");
    if (code == QLatin1String("zh_CN"))
        return QStringLiteral("chinese");
    return isLanguageCode(code) ? code : QString();
}

bool UserSettings::setLanguageCode(const QString &code)
{
    const QString value = languageValue(code.trimmed());
    if (value.isEmpty())
        return false;
    m_language = value;
    return save();
}

bool UserSettings::setPhotoFolder(const QString &folder)
{
    if (!QDir::isAbsolutePath(folder) || hasControlCharacters(folder))
        return false;
    m_photoFolder = QDir::cleanPath(folder);
    return save();
}

bool UserSettings::setResolution(const QString &resolution)
{
    if (!knownResolutions().contains(resolution))
        return false;
    m_resolution = resolution;
    return save();
}

bool UserSettings::setViewOrientation(int rotation, bool mirrored)
{
    if (rotation % 90 != 0 || rotation < 0 || rotation >= 360)
        return false;
    m_viewRotation = rotation;
    m_viewMirrored = mirrored;
    m_viewChosen = true;
    return save();
}

bool UserSettings::setBackupSchedule(const QString &period, const QString &folder, int keep)
{
    if (!isBackupPeriod(period) || keep < 1 || keep > MaxBackupKeep ||
        (period != QLatin1String("off") &&
         (!QDir::isAbsolutePath(folder) || hasControlCharacters(folder))))
        return false;
    m_backupPeriod = period;
    m_backupFolder = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    m_backupKeep = keep;
    return save();
}

bool UserSettings::setLastBackup(const QDateTime &at)
{
    if (!at.isValid())
        return false;
    m_lastBackup = at;
    return save();
}

bool UserSettings::setSharpestCapture(bool on)
{
    m_sharpestCapture = on;
    return save();
}

bool UserSettings::save()
{
    QByteArray bytes;
    if (!m_backupFolder.isEmpty()) {
        bytes += "[Backup]\nFolder=" + quoted(m_backupFolder) +
                 "\nKeep=" + QByteArray::number(m_backupKeep);
        if (m_lastBackup.isValid())
            bytes += "\nLastRun=" + m_lastBackup.toString(Qt::ISODate).toLatin1();
        bytes += "\nPeriod=" + m_backupPeriod.toLatin1() + "\n\n";
    }
    if (!m_sharpestCapture)
        bytes += "[Capture]\nSharpest=false\n\n";
    if (!m_resolution.isEmpty())
        bytes += "[Device]\nResolution=" + m_resolution.toLatin1() + "\n\n";
    if (!m_language.isEmpty())
        bytes += "[Language]\nSelected=" + quoted(m_language) + "\n\n";
    if (!m_photoFolder.isEmpty())
        bytes += "[Paths]\nPhotoFolder=" + quoted(m_photoFolder) + "\n\n";
    if (m_recordsServer.enabled || !m_recordsServer.host.isEmpty()) {
        const RecordsServer &s = m_recordsServer;
        bytes += "[Records]\nKeptOn=" + QByteArray(s.enabled ? "server" : "computer") +
                 "\nServerHost=" + quoted(s.host) + "\nServerPort=" + QByteArray::number(s.port) +
                 "\nServerDatabase=" + quoted(s.database) + "\nServerUser=" + quoted(s.user) +
                 "\nServerSslMode=" + s.sslMode.toLatin1() +
                 "\nServerSslRootCert=" + quoted(s.sslRootCert) + "\n\n";
    }
    if (m_viewChosen)
        bytes += "[View]\nMirrored=" + QByteArray(m_viewMirrored ? "true" : "false") +
                 "\nRotation=" + QByteArray::number(m_viewRotation) + "\n\n";

    if (m_ignored && QFileInfo::exists(m_path)) {
        const QString kept = JsonFileStore::preservedPathFor(m_path, QStringLiteral("ignored"));
        if (!QFile::rename(m_path, kept)) {
            qWarning() << "Cannot keep ignored settings file" << m_path << "- not replacing it";
            return false;
        }
        qWarning() << "Kept ignored settings file as" << kept;
        m_ignored = false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (!JsonFileStore::writeFileWhole(m_path, bytes)) {
        qWarning() << "Cannot save settings to" << m_path;
        return false;
    }
    return true;
}

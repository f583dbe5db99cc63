#pragma once

#include <QDateTime>
#include <QString>

// The settings page's choices kept between starts: the language, the photo
// folder, the stream resolution and how the live picture is turned, in one INI file in the user's
// configuration folder. A file that is damaged or written by something else is
// ignored (with a log line) and kept aside on the next save, never fatal.
class UserSettings
{
public:
    // The file in Qt's configuration location for the program.
    static QString standardFilePath();
    // The process-wide settings, read once from the standard file.
    static UserSettings &instance();

    explicit UserSettings(const QString &filePath);

    QString filePath() const { return m_path; }
    // The file existed but could not be used.
    bool ignoredFile() const { return m_ignored; }

    // Language code to start in ("en_US"), empty when none was chosen.
    QString languageCode() const;
    // Absolute photo folder, empty when none was chosen.
    QString photoFolder() const { return m_photoFolder; }
    // Device resolution text ("1920*1080"), empty when none was chosen.
    QString resolution() const { return m_resolution; }

    // Each stores one choice and rewrites the file; false when the value is
    // not one that can be kept or the file could not be written.
    bool setLanguageCode(const QString &code);
    bool setPhotoFolder(const QString &folder);
    bool setResolution(const QString &resolution);

    // How the live picture and the captures are turned: a clockwise turn
    // (0, 90, 180 or 270) and a mirror after it.
    int viewRotation() const { return m_viewRotation; }
    bool viewMirrored() const { return m_viewMirrored; }
    bool setViewOrientation(int rotation, bool mirrored);

    // Automatic backups: "off", "daily" or "weekly"; the folder they go to;
    // how many are kept; when the last one was made (invalid: never).
    QString backupPeriod() const { return m_backupPeriod; }
    QString backupFolder() const { return m_backupFolder; }
    int backupKeep() const { return m_backupKeep; }
    QDateTime lastBackup() const { return m_lastBackup; }
    bool setBackupSchedule(const QString &period, const QString &folder, int keep);
    bool setLastBackup(const QDateTime &at);

    // Where orders and inspectors are kept: on this computer (the files) or on
    // a clinic server. No password is ever part of this; libpq finds it.
    struct RecordsServer
    {
        bool enabled = false;
        QString host;
        int port = 5432;
        QString database;
        QString user;
        QString sslMode = QStringLiteral("prefer");
        QString sslRootCert;
        bool operator==(const RecordsServer &o) const
        {
            return enabled == o.enabled && host == o.host && port == o.port &&
                   database == o.database && user == o.user && sslMode == o.sslMode &&
                   sslRootCert == o.sslRootCert;
        }
    };
    RecordsServer recordsServer() const { return m_recordsServer; }
    bool setRecordsServer(const RecordsServer &server);
    // Whether a capture saves the sharpest frame of the last half second
    // rather than the newest; on unless the user turned it off.
    bool sharpestCapture() const { return m_sharpestCapture; }
    bool setSharpestCapture(bool on);

    // "Language/Selected" as language.ini writes it: "english", "german" and
    // "chinese" for the three shipped languages, any other code as it is.
    static QString languageValue(const QString &code);

private:
    void load();
    bool save();
    bool setRecordsServerValue(const RecordsServer &server);

    QString m_path;
    QString m_language; // as stored under Language/Selected
    QString m_photoFolder;
    QString m_resolution;
    int m_viewRotation = 0;
    bool m_viewMirrored = false;
    bool m_viewChosen = false;
    QString m_backupPeriod = QStringLiteral("off");
    QString m_backupFolder;
    int m_backupKeep = 7;
    QDateTime m_lastBackup;
    RecordsServer m_recordsServer;
    bool m_sharpestCapture = true;
    bool m_ignored = false;
};

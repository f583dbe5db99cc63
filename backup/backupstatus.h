#pragma once

#include <QMetaType>
#include <QString>

// How a backup, a check or a restore ended, with the file or detail the
// message names.
class BackupStatus
{
public:
    enum Code {
        Ok,
        Cancelled,
        SourceUnreadable, // a store file could not be read
        SourceChanged,    // a store file kept changing while it was being archived
        WriteFailed,      // the archive or a restored file could not be written completely
        NotAnArchive,     // not an archive this program wrote (any other format, compressed)
        Damaged,          // truncated, a file missing, a wrong size or checksum
        Unsafe,           // an entry that could write elsewhere: a path, a link, a device
    };

    BackupStatus() = default;
    BackupStatus(Code code, const QString &detail = QString()) : m_code(code), m_detail(detail) {}

    Code code() const { return m_code; }
    QString detail() const { return m_detail; }
    bool isOk() const { return m_code == Ok; }

    // What to tell the user, in the current language.
    QString message() const;

private:
    Code m_code = Ok;
    QString m_detail;
};

Q_DECLARE_METATYPE(BackupStatus)

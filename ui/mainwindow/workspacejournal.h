#pragma once

#include <QList>
#include <QString>

// The workspace photos not yet in any order, noted in a small file whenever
// the workspace changes. A run that ends without the window being closed (a
// crash, a power cut) leaves the note behind, and the next start can offer
// those photos back from their files.
class WorkspaceJournal
{
public:
    struct Entry
    {
        QString path;
        bool leftEar = true;
        bool operator==(const Entry &other) const
        {
            return path == other.path && leftEar == other.leftEar;
        }
    };

    explicit WorkspaceJournal(const QString &filePath) : m_filePath(filePath) {}
    // "unfiled-photos.json" in the program's data folder.
    static QString defaultPath();
    QString filePath() const { return m_filePath; }

    // Notes `entries`; none removes the file. Writes only what changed since
    // the last call. False when the note could not be written.
    bool record(const QList<Entry> &entries);
    // The noted photos whose files are still there, in the noted order.
    QList<Entry> recoverable() const;

private:
    QString m_filePath;
    QList<Entry> m_recorded;
    bool m_recordedKnown = false;
};

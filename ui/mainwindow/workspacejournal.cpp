#include "ui/mainwindow/workspacejournal.h"

#include "records/store/jsonfilestore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

QString WorkspaceJournal::defaultPath()
{
    return JsonFileStore::dataDirectory() + QStringLiteral("/unfiled-photos.json");
}

bool WorkspaceJournal::record(const QList<Entry> &entries)
{
    if (m_recordedKnown && entries == m_recorded)
        return true;
    bool written = false;
    if (entries.isEmpty()) {
        written = !QFile::exists(m_filePath) || QFile::remove(m_filePath);
    } else {
        QJsonArray photos;
        for (const Entry &entry : entries) {
            photos.append(QJsonObject{{QStringLiteral("path"), entry.path},
                                      {QStringLiteral("ear"),
                                       entry.leftEar ? QStringLiteral("L") : QStringLiteral("R")}});
        }
        QDir().mkpath(QFileInfo(m_filePath).absolutePath());
        QSaveFile file(m_filePath);
        written =
            file.open(QIODevice::WriteOnly) &&
            file.write(QJsonDocument(QJsonObject{{QStringLiteral("photos"), photos}}).toJson()) >=
                0 &&
            file.commit();
    }
    if (!written) {
        qWarning() << "Could not note the unfiled photos in" << m_filePath;
        m_recordedKnown = false; // tried again at the next change
        return false;
    }
    m_recorded = entries;
    m_recordedKnown = true;
    return true;
}

QList<WorkspaceJournal::Entry> WorkspaceJournal::recoverable() const
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonValue photos = QJsonDocument::fromJson(file.readAll()).object().value("photos");
    QList<Entry> entries;
    for (const QJsonValue &value : photos.toArray()) {
        const QJsonObject photo = value.toObject();
        const QString path = photo.value(QStringLiteral("path")).toString();
        const QString ear = photo.value(QStringLiteral("ear")).toString();
        if (path.isEmpty() || (ear != QLatin1String("L") && ear != QLatin1String("R")))
            continue;
        const Entry entry{path, ear == QLatin1String("L")};
        // A photo the user has since deleted or moved is not offered back,
        // nor one noted twice.
        if (QFileInfo(path).isFile() && !entries.contains(entry))
            entries.append(entry);
    }
    return entries;
}

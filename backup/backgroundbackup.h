#pragma once

#include "backup/backupcontrol.h"
#include "backup/backupmanifest.h"
#include "backup/backupstatus.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QThread;

// One automatic backup running on a worker thread while the window goes on:
// the archive is written into a folder under a timestamped name, and older
// automatic backups there beyond the number to keep are removed afterwards.
class BackgroundBackup : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundBackup(QObject *parent = nullptr);
    // Cancels a backup still running and waits for it to clean up.
    ~BackgroundBackup() override;

    bool isRunning() const { return m_thread != nullptr; }
    // False when one is running already.
    bool start(const QString &dataDir, const QString &folder, int keep,
               const BackupManifest &summary);
    void cancel();
    int permille() const;

signals:
    void progressed(int permille);
    void finished(const BackupStatus &status, const QString &archivePath);

private:
    void onThreadFinished();

    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<BackupControl> m_control;
    BackupStatus m_status;
    QString m_archivePath;
    QTimer m_poll;
};

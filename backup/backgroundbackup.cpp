#include "backup/backgroundbackup.h"

#include "backup/backupschedule.h"
#include "backup/backupwriter.h"

#include <QDateTime>
#include <QDir>
#include <QThread>

BackgroundBackup::BackgroundBackup(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(250);
    connect(&m_poll, &QTimer::timeout, this, [this] { emit progressed(permille()); });
}

BackgroundBackup::~BackgroundBackup()
{
    if (m_thread) {
        m_control->cancel();
        m_thread->wait();
    }
}

bool BackgroundBackup::start(const QString &dataDir, const QString &folder, int keep,
                             const BackupManifest &summary)
{
    if (m_thread)
        return false;
    m_control = std::make_unique<BackupControl>();
    m_archivePath =
        QDir(folder).filePath(BackupSchedule::archiveName(QDateTime::currentDateTime()));
    BackupControl *control = m_control.get();
    const QString path = m_archivePath;
    m_thread.reset(QThread::create([this, dataDir, folder, keep, summary, control, path] {
        QDir().mkpath(folder);
        m_status = BackupWriter::write(dataDir, path, summary, *control);
        // Old ones go only once the new one is known good.
        if (m_status.isOk())
            BackupSchedule::prune(folder, keep);
    }));
    connect(m_thread.get(), &QThread::finished, this, &BackgroundBackup::onThreadFinished);
    // The window stays first: the backup takes what the disk has to spare.
    m_thread->start(QThread::LowPriority);
    m_poll.start();
    return true;
}

void BackgroundBackup::cancel()
{
    if (m_control)
        m_control->cancel();
}

int BackgroundBackup::permille() const
{
    if (!m_control || m_control->total() <= 0)
        return 0;
    return int(std::min<qint64>(1000, m_control->done() * 1000 / m_control->total()));
}

void BackgroundBackup::onThreadFinished()
{
    m_poll.stop();
    m_thread->wait();
    m_thread.reset();
    emit finished(m_status, m_archivePath);
}

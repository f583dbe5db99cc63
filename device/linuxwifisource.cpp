#include "device/linuxwifisource.h"

#include "device/wifiparsing.h"

#include <QDebug>
#include <QFile>
#include <QProcess>
#include <QTimer>

namespace {

// /proc/net/wireless holds a few lines per interface; anything bigger is not it.
constexpr qint64 MaxProcWirelessBytes = 64 * 1024;

} // namespace

LinuxWifiSource::LinuxWifiSource(QObject *parent, const QString &nmcliProgram,
                                 const QString &procWirelessPath)
    : WifiSignalSource(parent), m_nmcliProgram(nmcliProgram), m_procWirelessPath(procWirelessPath)
{
}

void LinuxWifiSource::requestPercent()
{
    auto *process = new QProcess(this);
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                if (status != QProcess::NormalExit || exitCode != 0) {
                    // NetworkManager not running, or no WiFi device it manages.
                    reportFromProcWireless();
                    return;
                }
                const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
                report("nmcli", WifiParsing::percentFromNmcli(output));
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        reportFromProcWireless();
    });
    // Without `--rescan no`, a list older than 30 s starts a scan, which can
    // stall the live stream for a moment.
    process->start(m_nmcliProgram,
                   {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("IN-USE,SIGNAL"),
                    QStringLiteral("device"), QStringLiteral("wifi"), QStringLiteral("list"),
                    QStringLiteral("--rescan"), QStringLiteral("no")});
}

void LinuxWifiSource::reportFromProcWireless()
{
    // Reported through the event loop like the nmcli answer, never from inside start().
    QTimer::singleShot(0, this, [this] {
        QFile file(m_procWirelessPath);
        QString contents;
        if (file.open(QIODevice::ReadOnly))
            contents = QString::fromLatin1(file.read(MaxProcWirelessBytes));
        report("/proc/net/wireless", WifiParsing::percentFromProcWireless(contents));
    });
}

void LinuxWifiSource::report(const char *source, int percent)
{
    if (qstrcmp(source, m_loggedSource) != 0 || percent != m_loggedPercent) {
        qDebug() << "[WiFi]" << source << "percent:" << percent;
        m_loggedSource = source;
        m_loggedPercent = percent;
    }
    emit percentMeasured(percent);
}

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
                const int percent = WifiParsing::percentFromNmcli(output);
                qDebug() << "[WiFi] nmcli output length:" << output.size()
                         << "matched percent:" << percent;
                emit percentMeasured(percent);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        reportFromProcWireless();
    });
    process->start(m_nmcliProgram,
                   {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("IN-USE,SIGNAL"),
                    QStringLiteral("device"), QStringLiteral("wifi")});
}

void LinuxWifiSource::reportFromProcWireless()
{
    // Reported through the event loop like the nmcli answer, never from inside start().
    QTimer::singleShot(0, this, [this] {
        QFile file(m_procWirelessPath);
        QString contents;
        if (file.open(QIODevice::ReadOnly))
            contents = QString::fromLatin1(file.read(MaxProcWirelessBytes));
        const int percent = WifiParsing::percentFromProcWireless(contents);
        qDebug() << "[WiFi] /proc/net/wireless percent:" << percent;
        emit percentMeasured(percent);
    });
}

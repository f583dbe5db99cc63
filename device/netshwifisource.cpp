#include "device/netshwifisource.h"

#include "device/wifiparsing.h"

#include <QDebug>
#include <QProcess>

NetshWifiSource::NetshWifiSource(QObject *parent, const QString &program)
    : WifiSignalSource(parent), m_program(program)
{
}

void NetshWifiSource::requestPercent()
{
    auto *process = new QProcess(this);
    connect(process, &QProcess::finished, this, [this, process] {
        const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
        process->deleteLater();
        const int percent = WifiParsing::percentFromNetsh(output);
        qDebug() << "[WiFi] netsh output length:" << output.size() << "matched percent:" << percent;
        emit percentMeasured(percent);
    });
    // A tool that cannot start never finishes; polls every 3 s must not pile up objects.
    connect(process, &QProcess::errorOccurred, this, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->start(m_program,
                   {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("interfaces")});
}

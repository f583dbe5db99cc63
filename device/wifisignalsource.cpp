#include "device/wifisignalsource.h"

#include "device/linuxwifisource.h"
#include "device/netshwifisource.h"
#include "device/nullwifisource.h"

#include <QProcess>

WifiSignalSource::~WifiSignalSource()
{
    const auto processes = findChildren<QProcess *>();
    for (QProcess *process : processes) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(500);
        }
    }
}

WifiSignalSource *WifiSignalSource::create(QObject *parent)
{
#if defined(Q_OS_WIN)
    return new NetshWifiSource(parent);
#elif defined(Q_OS_LINUX)
    return new LinuxWifiSource(parent);
#else
    return new NullWifiSource(parent);
#endif
}

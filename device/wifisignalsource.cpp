#include "device/wifisignalsource.h"

#include "device/linuxwifisource.h"
#include "device/netshwifisource.h"
#include "device/nullwifisource.h"

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

#include "device/nullwifisource.h"

#include <QTimer>

void NullWifiSource::requestPercent()
{
    QTimer::singleShot(0, this, [this] { emit percentMeasured(-1); });
}

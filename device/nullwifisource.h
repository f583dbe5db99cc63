#pragma once

#include "device/wifisignalsource.h"

// Platforms without a known source: always "no signal".
class NullWifiSource : public WifiSignalSource
{
    Q_OBJECT

public:
    using WifiSignalSource::WifiSignalSource;
    void requestPercent() override;
};

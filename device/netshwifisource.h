#pragma once

#include "device/wifisignalsource.h"

#include <QString>

// Windows: runs `netsh wlan show interfaces` and takes the first percentage.
class NetshWifiSource : public WifiSignalSource
{
    Q_OBJECT

public:
    explicit NetshWifiSource(QObject *parent = nullptr,
                             const QString &program = QStringLiteral("netsh"));
    void requestPercent() override;

private:
    QString m_program;
};

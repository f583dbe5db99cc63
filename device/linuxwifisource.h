#pragma once

#include "device/wifisignalsource.h"

#include <QString>

// Linux: asks NetworkManager (`nmcli -t -f IN-USE,SIGNAL device wifi list
// --rescan no`) for the connected row; where nmcli is missing or fails, reads
// the kernel's /proc/net/wireless instead.
class LinuxWifiSource : public WifiSignalSource
{
    Q_OBJECT

public:
    explicit LinuxWifiSource(
        QObject *parent = nullptr, const QString &nmcliProgram = QStringLiteral("nmcli"),
        const QString &procWirelessPath = QStringLiteral("/proc/net/wireless"));
    void requestPercent() override;

private:
    void reportFromProcWireless();
    void report(const char *source, int percent);

    QString m_nmcliProgram;
    QString m_procWirelessPath;
    // What was logged last: polled every 3 s, only a change is worth a line.
    const char *m_loggedSource = nullptr;
    int m_loggedPercent = -1;
};

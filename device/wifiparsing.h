#pragma once

#include <QString>
#include <QStringList>

// Reading the WiFi signal quality out of what the operating system reports.
// Every function yields a percentage 0..100, or -1 when there is none.
namespace WifiParsing {

// Address prefix of the otoscope's own network.
inline const QString DeviceNetworkPrefix = QStringLiteral("192.168.168.");

// True when any of the addresses lies on the device network.
bool isOnDeviceNetwork(const QStringList &addresses);
// Every address of every interface of this machine, whatever its state.
QStringList machineAddresses();

// `netsh wlan show interfaces`: the first "colon, spaces, digits, percent" group.
// The rule does not depend on the language of the output.
int percentFromNetsh(const QString &output);
// `nmcli -t -f IN-USE,SIGNAL device wifi`: the SIGNAL of the row marked "*".
int percentFromNmcli(const QString &output);
// /proc/net/wireless: the link quality of the first interface, which the
// kernel reports on a scale of 0..70.
int percentFromProcWireless(const QString &contents);

} // namespace WifiParsing

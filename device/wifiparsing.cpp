#include "device/wifiparsing.h"

#include <QNetworkInterface>
#include <QRegularExpression>

#include <cmath>

namespace WifiParsing {

namespace {

// Link quality full scale of the kernel's wireless statistics.
constexpr double ProcWirelessFullScale = 70.0;

int clampPercent(long long value)
{
    return int(qBound(0LL, value, 100LL));
}

} // namespace

bool isOnDeviceNetwork(const QStringList &addresses)
{
    for (const QString &address : addresses) {
        if (address.startsWith(DeviceNetworkPrefix))
            return true;
    }
    return false;
}

QStringList machineAddresses()
{
    QStringList addresses;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            addresses.append(entry.ip().toString());
    }
    return addresses;
}

int percentFromNetsh(const QString &output)
{
    static const QRegularExpression pattern(QStringLiteral(":\\s*(\\d+)%"));
    const QRegularExpressionMatch match = pattern.match(output);
    if (!match.hasMatch())
        return -1;
    bool ok = false;
    const int percent = match.captured(1).toInt(&ok);
    return ok ? percent : 0;
}

int percentFromNmcli(const QString &output)
{
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const qsizetype colon = line.lastIndexOf(QLatin1Char(':'));
        if (colon < 0 || line.left(colon).trimmed() != QLatin1String("*"))
            continue;
        bool ok = false;
        const long long signal = line.mid(colon + 1).trimmed().toLongLong(&ok);
        if (ok)
            return clampPercent(signal);
    }
    return -1;
}

int percentFromProcWireless(const QString &contents)
{
    // Two header lines, then "iface: status link. level. noise. ..." per interface.
    const QStringList lines = contents.split(QLatin1Char('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QStringList fields =
            lines.at(i).mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 2)
            continue;
        QString link = fields.at(1);
        if (link.endsWith(QLatin1Char('.')))
            link.chop(1);
        bool ok = false;
        const double quality = link.toDouble(&ok);
        if (!ok || !std::isfinite(quality))
            return -1;
        return clampPercent(std::llround(quality * 100.0 / ProcWirelessFullScale));
    }
    return -1;
}

} // namespace WifiParsing

#include "records/server/serversettings.h"

#include <QStringList>

namespace {

// Seconds a connection attempt may take: long enough for a slow clinic
// network, short enough that a page asking the server is not frozen for long.
constexpr int ConnectTimeoutSeconds = 4;

QString quotedValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

bool ServerSettings::isSslMode(const QString &mode)
{
    static const QStringList modes{QStringLiteral("disable"),   QStringLiteral("allow"),
                                   QStringLiteral("prefer"),    QStringLiteral("require"),
                                   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    return modes.contains(mode);
}

bool ServerSettings::isValid() const
{
    // Qt's driver turns every ";" of the options into a blank, so a path
    // holding one would be cut in two.
    const auto safe = [](const QString &value) {
        return !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('\n'));
    };
    return isSslMode(sslMode) && port >= 0 && port <= 65535 && safe(sslRootCert) && safe(host) &&
           safe(database) && safe(user);
}

QString ServerSettings::connectOptions() const
{
    QStringList options{QStringLiteral("connect_timeout=%1").arg(ConnectTimeoutSeconds),
                        QStringLiteral("sslmode=") + sslMode,
                        QStringLiteral("application_name=lumaural")};
    if (!sslRootCert.isEmpty())
        options << QStringLiteral("sslrootcert=") + quotedValue(sslRootCert);
    return options.join(QLatin1Char(';'));
}

QString ServerSettings::conninfo() const
{
    QStringList parts;
    if (!host.isEmpty())
        parts << QStringLiteral("host=") + quotedValue(host);
    if (port > 0)
        parts << QStringLiteral("port=%1").arg(port);
    if (!database.isEmpty())
        parts << QStringLiteral("dbname=") + quotedValue(database);
    if (!user.isEmpty())
        parts << QStringLiteral("user=") + quotedValue(user);
    QString options = connectOptions();
    options.replace(QLatin1Char(';'), QLatin1Char(' '));
    parts << options;
    return parts.join(QLatin1Char(' '));
}

bool ServerSettings::operator==(const ServerSettings &other) const
{
    return host == other.host && port == other.port && database == other.database &&
           user == other.user && sslMode == other.sslMode && sslRootCert == other.sslRootCert;
}

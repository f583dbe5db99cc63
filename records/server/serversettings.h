#pragma once

#include <QString>

// Where a clinic server is and how to reach it. Fields left empty are taken
// from libpq's own sources (environment, service file), so a password never
// has to be kept by the program: libpq reads it from the password file.
struct ServerSettings
{
    QString host;     // name, address, or a folder holding the Unix socket
    int port = 5432;  // 0: libpq's default
    QString database; // empty: libpq's default (the user's name)
    QString user;     // empty: libpq's default (the login name)
    // TLS: "disable", "allow", "prefer", "require", "verify-ca" or "verify-full".
    QString sslMode = QStringLiteral("prefer");
    QString sslRootCert; // file of trusted certificate authorities for verify-ca/-full

    // Everything that goes to libpq besides host, port, database and user, as
    // "key=value" pairs separated by ";" (the form Qt's driver takes).
    QString connectOptions() const;
    // libpq's own connection string with every field; for probes made without Qt.
    QString conninfo() const;
    // False when a value cannot be passed on safely (a quote or ";" in a path).
    bool isValid() const;

    static bool isSslMode(const QString &mode);
    bool operator==(const ServerSettings &other) const;
    bool operator!=(const ServerSettings &other) const { return !(*this == other); }
};

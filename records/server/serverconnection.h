#pragma once

#include "records/server/serversettings.h"

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;
struct pg_conn;

// One connection to a clinic server, opened on demand and opened again after
// the server was away. Opening also brings the server's tables up to date.
class ServerConnection
{
public:
    // What the settings page shows about the server.
    enum class State {
        Connected,
        Unreachable,      // nothing answers at that address, or TLS failed
        WrongCredentials, // the server answered but refused the sign-in
        SchemaTooNew,     // written by a newer program; left untouched
        Failed,           // anything else; detail() says what
    };

    explicit ServerConnection(const ServerSettings &settings);
    ~ServerConnection();
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;

    const ServerSettings &settings() const { return m_settings; }

    // Opens the connection when it is not (or no longer) open; the state afterwards.
    State open();
    State state() const { return m_state; }
    // The server's or libpq's own words for the last failure.
    QString detail() const { return m_detail; }
    QSqlDatabase &database() { return m_db; }
    // libpq's connection under Qt's driver, for what the driver sends badly;
    // null when not open.
    pg_conn *handle() const;

    // After a failed statement: was it because the connection is gone? Then
    // the connection is closed, so the next open() tries again.
    bool lostConnection(const QSqlQuery &failed);
    // The same for a statement sent through handle(), by its SQLSTATE.
    bool lostConnection(const QString &sqlState, const QString &why);
    // Records the failure of `query` as the state and detail.
    void noteFailure(const QSqlQuery &failed);
    void close();

    // Classifies a failed sign-in by asking the server whether it is there at all.
    static State classifyOpenFailure(const ServerSettings &settings);
    static QString stateKey(State state);

private:
    bool connectionIsBad() const;

    ServerSettings m_settings;
    QString m_name;
    QSqlDatabase m_db;
    State m_state = State::Unreachable;
    QString m_detail;
};

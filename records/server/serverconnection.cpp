#include "records/server/serverconnection.h"

#include "records/server/serverschema.h"

#include <libpq-fe.h>

#include <QAtomicInt>
#include <QDebug>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QAtomicInt connectionCounter;

} // namespace

ServerConnection::ServerConnection(const ServerSettings &settings)
    : m_settings(settings),
      m_name(QStringLiteral("lumaural-server-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
}

ServerConnection::~ServerConnection()
{
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void ServerConnection::close()
{
    if (m_db.isOpen())
        m_db.close();
}

ServerConnection::State ServerConnection::open()
{
    if (m_db.isOpen() && !connectionIsBad() && m_state == State::Connected)
        return m_state;
    close();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_detail = QStringLiteral("Qt's PostgreSQL driver is not installed");
        return m_state = State::Failed;
    }
    if (!m_settings.isValid()) {
        m_detail = QStringLiteral("the connection settings hold a character that cannot be used");
        return m_state = State::Failed;
    }
    m_db.setHostName(m_settings.host);
    m_db.setPort(m_settings.port > 0 ? m_settings.port : -1);
    m_db.setDatabaseName(m_settings.database);
    m_db.setUserName(m_settings.user);
    m_db.setPassword(QString());
    m_db.setConnectOptions(m_settings.connectOptions());
    if (!m_db.open()) {
        m_detail = m_db.lastError().databaseText().trimmed();
        if (m_detail.isEmpty())
            m_detail = m_db.lastError().text();
        m_state = classifyOpenFailure(m_settings);
        qDebug() << "Clinic server not available:" << stateKey(m_state) << m_detail;
        return m_state;
    }
    QString error;
    const int version = ServerSchema::version(m_db, &error);
    if (version > ServerSchema::CurrentVersion) {
        m_detail = QStringLiteral("version %1").arg(version);
        close();
        return m_state = State::SchemaTooNew;
    }
    if (version < 0 || !ServerSchema::upgrade(m_db, ServerSchema::CurrentVersion, &error)) {
        m_detail = error;
        const bool gone = connectionIsBad();
        close();
        return m_state = gone ? State::Unreachable : State::Failed;
    }
    m_detail.clear();
    return m_state = State::Connected;
}

ServerConnection::State ServerConnection::classifyOpenFailure(const ServerSettings &settings)
{
    // A ping needs no sign-in: if the server answers it, the sign-in was refused.
    switch (PQping(settings.conninfo().toUtf8().constData())) {
    case PQPING_OK:
    case PQPING_REJECT:
        return State::WrongCredentials;
    case PQPING_NO_RESPONSE:
        return State::Unreachable;
    case PQPING_NO_ATTEMPT:
        break;
    }
    return State::Failed;
}

PGconn *ServerConnection::handle() const
{
    if (!m_db.isOpen() || !m_db.driver())
        return nullptr;
    const QVariant handle = m_db.driver()->handle();
    // Qt names the type after libpq's struct, not its typedef.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "pg_conn*") != 0 &&
                              qstrcmp(handle.typeName(), "PGconn*") != 0)) {
        return nullptr;
    }
    return *static_cast<PGconn *const *>(handle.constData());
}

bool ServerConnection::connectionIsBad() const
{
    if (!m_db.isOpen() || !m_db.driver())
        return true;
    const PGconn *conn = handle();
    return conn == nullptr || PQstatus(conn) != CONNECTION_OK;
}

bool ServerConnection::lostConnection(const QSqlQuery &failed)
{
    return lostConnection(failed.lastError().nativeErrorCode(), failed.lastError().text());
}

bool ServerConnection::lostConnection(const QString &sqlState, const QString &why)
{
    // Class 08 is a broken connection; 57P01-57P03 a server shutting down or starting.
    const bool gone = connectionIsBad() || sqlState.startsWith(QLatin1String("08")) ||
                      sqlState.startsWith(QLatin1String("57P0"));
    if (gone) {
        m_state = State::Unreachable;
        m_detail = why;
        close();
    }
    return gone;
}

void ServerConnection::noteFailure(const QSqlQuery &failed)
{
    if (!lostConnection(failed)) {
        m_detail = failed.lastError().text();
        qWarning() << "Clinic server statement failed:" << m_detail;
    }
}

QString ServerConnection::stateKey(State state)
{
    switch (state) {
    case State::Connected:
        return QStringLiteral("connected");
    case State::Unreachable:
        return QStringLiteral("unreachable");
    case State::WrongCredentials:
        return QStringLiteral("wrong_credentials");
    case State::SchemaTooNew:
        return QStringLiteral("schema_too_new");
    case State::Failed:
        break;
    }
    return QStringLiteral("failed");
}

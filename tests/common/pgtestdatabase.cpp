#include "pgtestdatabase.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

QAtomicInt counter;

// Host, port and user from a server folder.
ServerSettings serverSettings(const QString &serverDir)
{
    ServerSettings settings;
    settings.sslMode = QStringLiteral("disable");
    QFile file(serverDir + QStringLiteral("/connection"));
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        const QString key = QString::fromUtf8(line.left(eq));
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == QLatin1String("host"))
            settings.host = value;
        else if (key == QLatin1String("port"))
            settings.port = value.toInt();
        else if (key == QLatin1String("user"))
            settings.user = value;
    }
    return settings;
}

} // namespace

PgTestDatabase::PgTestDatabase() : PgTestDatabase(qEnvironmentVariable("LUMAURAL_PG_TEST_DIR")) {}

PgTestDatabase::PgTestDatabase(const QString &serverDir)
{
    ServerSettings settings = serverSettings(serverDir);
    if (settings.host.isEmpty()) {
        qWarning() << "No test server in" << serverDir;
        return;
    }
    m_adminConnection = QStringLiteral("pgtest-admin-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_adminConnection);
    admin.setHostName(settings.host);
    admin.setPort(settings.port);
    admin.setUserName(settings.user);
    admin.setDatabaseName(QStringLiteral("postgres"));
    if (!admin.open()) {
        qWarning() << "Test server not reachable:" << admin.lastError().text();
        return;
    }
    const QString name = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    QSqlQuery query(admin);
    // Owned by the password role, as a clinic's database is by its role; the
    // trusted superuser may do anything in it anyway.
    if (!query.exec(QStringLiteral("CREATE DATABASE %1 OWNER lumaural_pw").arg(name))) {
        qWarning() << query.lastError().text();
        return;
    }
    settings.database = name;
    m_settings = settings;
}

PgTestDatabase::~PgTestDatabase()
{
    if (m_adminConnection.isEmpty())
        return;
    {
        QSqlDatabase admin = QSqlDatabase::database(m_adminConnection, false);
        if (isValid() && admin.isOpen()) {
            QSqlQuery query(admin);
            query.exec(
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_settings.database));
        }
    }
    QSqlDatabase::removeDatabase(m_adminConnection);
}

bool PgTestDatabase::exec(const QString &sql) const
{
    const QString name = QStringLiteral("pgtest-exec-%1").arg(counter.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(m_settings.host);
        db.setPort(m_settings.port);
        db.setUserName(m_settings.user);
        db.setDatabaseName(m_settings.database);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(sql);
            if (!ok)
                qWarning() << sql << query.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QVariant PgTestDatabase::value(const QString &sql) const
{
    const QString name = QStringLiteral("pgtest-value-%1").arg(counter.fetchAndAddRelaxed(1));
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(m_settings.host);
        db.setPort(m_settings.port);
        db.setUserName(m_settings.user);
        db.setDatabaseName(m_settings.database);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                result = query.value(0);
            else
                qWarning() << sql << query.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

#pragma once

#include "records/server/serversettings.h"

#include <QString>

// A database of its own on the throw-away test server (scripts/pg-test-server),
// made fresh for each test and dropped afterwards.
class PgTestDatabase
{
public:
    // Uses the server whose folder $LUMAURAL_PG_TEST_DIR names.
    PgTestDatabase();
    // Uses the server in `serverDir`.
    explicit PgTestDatabase(const QString &serverDir);
    ~PgTestDatabase();
    PgTestDatabase(const PgTestDatabase &) = delete;
    PgTestDatabase &operator=(const PgTestDatabase &) = delete;

    bool isValid() const { return !m_settings.database.isEmpty(); }
    // Reaches this database as the trusted superuser.
    ServerSettings settings() const { return m_settings; }
    // Runs one statement as the superuser; false (with a warning) when it fails.
    bool exec(const QString &sql) const;
    // The first column of the first row of `sql`.
    QVariant value(const QString &sql) const;

private:
    ServerSettings m_settings;
    QString m_adminConnection;
};

#include "records/server/serverschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Any fixed number: every workstation takes the same lock before touching the schema.
constexpr qint64 SchemaLockKey = 0x4c756d61;

// Step n brings version n-1 to n. Never edit a step once shipped: servers
// out there already ran it; add a new one instead.
const QList<QStringList> &steps()
{
    static const QList<QStringList> all{
        // 1: orders with their photos, inspectors, the report texts.
        {QStringLiteral("CREATE TABLE lumaural_schema (version integer NOT NULL)"),
         QStringLiteral("INSERT INTO lumaural_schema (version) VALUES (0)"),
         QStringLiteral("CREATE SEQUENCE order_ids"),
         QStringLiteral(
             "CREATE TABLE orders ("
             " id integer PRIMARY KEY DEFAULT nextval('order_ids'),"
             " revision integer NOT NULL DEFAULT 1,"
             " order_number text NOT NULL DEFAULT '', name text NOT NULL DEFAULT '',"
             " patient_id text NOT NULL DEFAULT '', gender text NOT NULL DEFAULT '保密',"
             " birth_date text NOT NULL DEFAULT '', phone text NOT NULL DEFAULT '',"
             " age integer NOT NULL DEFAULT -1, address text NOT NULL DEFAULT '',"
             " email text NOT NULL DEFAULT '', fitter_id integer NOT NULL DEFAULT -1,"
             " fitter_name text NOT NULL DEFAULT '', fitter_work_id text NOT NULL DEFAULT '',"
             " fitter_clinic text NOT NULL DEFAULT '', notes text NOT NULL DEFAULT '',"
             " diagnosis text NOT NULL DEFAULT '', created_at text NOT NULL DEFAULT '')"),
         QStringLiteral("ALTER SEQUENCE order_ids OWNED BY orders.id"),
         QStringLiteral("CREATE TABLE order_photos ("
                        " order_id integer NOT NULL REFERENCES orders (id) ON DELETE CASCADE,"
                        " position integer NOT NULL, name text NOT NULL DEFAULT '',"
                        " data bytea NOT NULL, PRIMARY KEY (order_id, position))"),
         // JPEG does not compress; trying costs time on every save.
         QStringLiteral("ALTER TABLE order_photos ALTER COLUMN data SET STORAGE EXTERNAL"),
         QStringLiteral("CREATE SEQUENCE inspector_ids"),
         QStringLiteral(
             "CREATE TABLE inspectors ("
             " id integer PRIMARY KEY DEFAULT nextval('inspector_ids'),"
             " revision integer NOT NULL DEFAULT 1, name text NOT NULL DEFAULT '',"
             " work_id text NOT NULL DEFAULT '', clinic_name text NOT NULL DEFAULT '',"
             " phone text NOT NULL DEFAULT '', work_years integer NOT NULL DEFAULT -1,"
             " gender text NOT NULL DEFAULT '保密', skill text NOT NULL DEFAULT '',"
             " note text NOT NULL DEFAULT '', is_default boolean NOT NULL DEFAULT false)"),
         QStringLiteral("ALTER SEQUENCE inspector_ids OWNED BY inspectors.id"),
         QStringLiteral("CREATE TABLE report_config ("
                        " id integer PRIMARY KEY CHECK (id = 1),"
                        " company_name text NOT NULL DEFAULT '',"
                        " report_title text NOT NULL DEFAULT '',"
                        " default_notes text NOT NULL DEFAULT '')")},
        // 2: where a record came from when it was copied from a workstation's
        // files (so copying again adds nothing twice), photo sizes for lists
        // that must not read the photos, and the list's order as an index.
        {QStringLiteral("ALTER TABLE orders ADD COLUMN origin text UNIQUE"),
         QStringLiteral("ALTER TABLE inspectors ADD COLUMN origin text UNIQUE"),
         QStringLiteral("ALTER TABLE order_photos ADD COLUMN byte_size integer"),
         QStringLiteral("UPDATE order_photos SET byte_size = length(data)"),
         QStringLiteral("ALTER TABLE order_photos ALTER COLUMN byte_size SET NOT NULL"),
         QStringLiteral("CREATE INDEX orders_by_creation ON orders (created_at DESC, id DESC)")},
    };
    return all;
}

QString describe(const QSqlQuery &query)
{
    return query.lastError().text();
}

} // namespace

int ServerSchema::version(QSqlDatabase &db, QString *error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('lumaural_schema') IS NOT NULL"))) {
        if (error)
            *error = describe(query);
        return -1;
    }
    if (!query.next() || !query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT max(version) FROM lumaural_schema")) || !query.next()) {
        if (error)
            *error = describe(query);
        return -1;
    }
    return query.value(0).toInt();
}

bool ServerSchema::upgrade(QSqlDatabase &db, int target, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        db.rollback();
        return false;
    };
    target = qBound(0, target, int(steps().size()));
    for (;;) {
        if (!db.transaction())
            return fail(db.lastError().text());
        QSqlQuery query(db);
        // The lock ends with the transaction; whoever waited sees the new version.
        if (!query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockKey)))
            return fail(describe(query));
        const int current = version(db, error);
        if (current < 0)
            return fail(error ? *error : QString());
        if (current > target)
            return fail(QStringLiteral("the server's records are of version %1, newer than %2")
                            .arg(current)
                            .arg(target));
        if (current == target) {
            db.commit();
            return true;
        }
        for (const QString &statement : steps().at(current)) {
            if (!query.exec(statement))
                return fail(describe(query));
        }
        if (!query.exec(QStringLiteral("UPDATE lumaural_schema SET version = %1").arg(current + 1)))
            return fail(describe(query));
        if (!db.commit())
            return fail(db.lastError().text());
    }
}

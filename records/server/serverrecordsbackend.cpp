#include "records/server/serverrecordsbackend.h"

#include <libpq-fe.h>

#include <QCryptographicHash>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using Status = StoreResult::Status;

// Another workstation took the id between our look and our insert; trying
// again with the next number is all it takes.
constexpr int MaxIdAttempts = 8;
const QString UniqueViolation = QStringLiteral("23505");

const QString OrderColumns =
    QStringLiteral("order_number, name, patient_id, gender, birth_date, phone, age, address, "
                   "email, fitter_id, "
                   "fitter_name, fitter_work_id, fitter_clinic, notes, diagnosis, created_at");
const QString OrderPlaceholders = QStringLiteral("?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?");
const QString FitterColumns =
    QStringLiteral("name, work_id, clinic_name, phone, work_years, gender, "
                   "skill, note, is_default");
const QString FitterPlaceholders = QStringLiteral("?, ?, ?, ?, ?, ?, ?, ?, ?");

// A null QString would be sent as SQL NULL; every text column holds '' instead.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

void bindOrder(QSqlQuery &query, const Customer &c)
{
    for (const QString *value :
         {&c.orderNumber, &c.name, &c.patientId, &c.gender, &c.birthDate, &c.phone}) {
        query.addBindValue(text(*value));
    }
    query.addBindValue(c.age);
    query.addBindValue(text(c.address));
    query.addBindValue(text(c.email));
    query.addBindValue(c.fitterId);
    for (const QString *value :
         {&c.fitterName, &c.fitterWorkId, &c.fitterClinic, &c.notes, &c.diagnosis, &c.createdAt}) {
        query.addBindValue(text(*value));
    }
}

// Reads the order columns starting at `first`, in OrderColumns' order.
Customer orderFrom(const QSqlQuery &query, int id, int first)
{
    Customer c;
    c.id = id;
    int i = first;
    c.orderNumber = query.value(i++).toString();
    c.name = query.value(i++).toString();
    c.patientId = query.value(i++).toString();
    c.gender = query.value(i++).toString();
    c.birthDate = query.value(i++).toString();
    c.phone = query.value(i++).toString();
    c.age = query.value(i++).toInt();
    c.address = query.value(i++).toString();
    c.email = query.value(i++).toString();
    c.fitterId = query.value(i++).toInt();
    c.fitterName = query.value(i++).toString();
    c.fitterWorkId = query.value(i++).toString();
    c.fitterClinic = query.value(i++).toString();
    c.notes = query.value(i++).toString();
    c.diagnosis = query.value(i++).toString();
    c.createdAt = query.value(i++).toString();
    return c;
}

// The fields an edit started from must still be the stored ones.
const QString FitterMatch =
    QStringLiteral("name = ? AND work_id = ? AND clinic_name = ? AND phone = ? "
                   "AND work_years = ? AND"
                   " gender = ? AND skill = ? AND note = ? AND is_default = ?");

void bindFitter(QSqlQuery &query, const Fitter &f)
{
    for (const QString *value : {&f.name, &f.workId, &f.clinicName, &f.phone})
        query.addBindValue(text(*value));
    query.addBindValue(f.workYears);
    for (const QString *value : {&f.gender, &f.skill, &f.note})
        query.addBindValue(text(*value));
    query.addBindValue(f.isDefault);
}

Fitter fitterFrom(const QSqlQuery &query, int first)
{
    Fitter f;
    int i = first;
    f.id = query.value(i++).toInt();
    f.name = query.value(i++).toString();
    f.workId = query.value(i++).toString();
    f.clinicName = query.value(i++).toString();
    f.phone = query.value(i++).toString();
    f.workYears = query.value(i++).toInt();
    f.gender = query.value(i++).toString();
    f.skill = query.value(i++).toString();
    f.note = query.value(i++).toString();
    f.isDefault = query.value(i++).toBool();
    return f;
}

// Records added here have no origin; the column then stays NULL, which the
// unique index lets any number of rows have.
QString originColumn(const QString &origin)
{
    return origin.isEmpty() ? QString() : QStringLiteral("origin, ");
}

QString originValue(const QString &origin)
{
    return origin.isEmpty() ? QString() : QStringLiteral("?, ");
}

QString photoEntry(const QString &name, const QByteArray &jpeg)
{
    return name + QLatin1Char('|') + QString::fromLatin1(jpeg.toBase64());
}

} // namespace

// A table whose rows get ids from a sequence.
struct ServerRecordsBackend::Table
{
    QString name;
    QString sequence;
    QString columns;
    QString placeholders;
};

const ServerRecordsBackend::Table ServerRecordsBackend::OrdersTable{
    QStringLiteral("orders"), QStringLiteral("order_ids"), OrderColumns, OrderPlaceholders};
const ServerRecordsBackend::Table ServerRecordsBackend::InspectorsTable{
    QStringLiteral("inspectors"), QStringLiteral("inspector_ids"), FitterColumns,
    FitterPlaceholders};

ServerRecordsBackend::ServerRecordsBackend(const ServerSettings &settings)
    : m_connection(std::make_unique<ServerConnection>(settings))
{
}

ServerConnection::State ServerRecordsBackend::probe()
{
    return m_connection->open();
}

StoreResult ServerRecordsBackend::begin()
{
    switch (m_connection->open()) {
    case ServerConnection::State::Connected:
        break;
    case ServerConnection::State::Unreachable:
        return StoreResult::failure(Status::Unreachable, m_connection->detail());
    default:
        return StoreResult::failure(Status::Failed, m_connection->detail());
    }
    if (!m_connection->database().transaction()) {
        // A connection that died while idle is noticed here.
        QSqlQuery probe(m_connection->database());
        probe.exec(QStringLiteral("SELECT 1"));
        if (m_connection->lostConnection(probe)) {
            if (m_connection->open() == ServerConnection::State::Connected &&
                m_connection->database().transaction()) {
                return {};
            }
            return StoreResult::failure(Status::Unreachable, m_connection->detail());
        }
        return StoreResult::failure(Status::Failed, m_connection->database().lastError().text());
    }
    return {};
}

StoreResult ServerRecordsBackend::failure(QSqlQuery &query)
{
    const bool gone = m_connection->lostConnection(query);
    const QString why = query.lastError().text();
    m_lastSqlState = query.lastError().nativeErrorCode();
    if (!gone) {
        m_connection->noteFailure(query);
        m_connection->database().rollback();
    }
    return StoreResult::failure(gone ? Status::Unreachable : Status::Failed, why);
}

StoreResult ServerRecordsBackend::failure(const QString &why)
{
    m_connection->database().rollback();
    return StoreResult::failure(Status::Failed, why);
}

StoreResult ServerRecordsBackend::commit()
{
    if (m_connection->database().commit())
        return {};
    QSqlQuery probe(m_connection->database());
    probe.exec(QStringLiteral("SELECT 1"));
    if (m_connection->lostConnection(probe))
        return StoreResult::failure(Status::Unreachable, m_connection->detail());
    const QString why = m_connection->database().lastError().text();
    m_connection->database().rollback();
    return StoreResult::failure(Status::Failed, why);
}

QList<Customer> ServerRecordsBackend::listOrders(StoreResult *result)
{
    StoreResult outcome = begin();
    QList<Customer> list;
    if (outcome.ok()) {
        QSqlQuery query(m_connection->database());
        query.setForwardOnly(true);
        // The photos' names in one JSON text per order, so their bytes never
        // leave the server for a list.
        if (query.exec(QStringLiteral("SELECT o.id, o.revision, %1,"
                                      " (SELECT json_agg(p.name ORDER BY p.position)::text"
                                      "  FROM order_photos p WHERE p.order_id = o.id)"
                                      " FROM orders o ORDER BY o.id")
                           .arg(OrderColumns))) {
            while (query.next()) {
                Customer order = orderFrom(query, query.value(0).toInt(), 2);
                order.revision = query.value(1).toLongLong();
                const QJsonArray names =
                    QJsonDocument::fromJson(query.value(18).toByteArray()).array();
                for (const QJsonValue &name : names)
                    order.photos.append(name.toString() + QLatin1Char('|'));
                list.append(order);
            }
            outcome = commit();
        } else {
            outcome = failure(query);
        }
    }
    if (result)
        *result = outcome;
    return outcome.ok() ? list : QList<Customer>();
}

StoreResult ServerRecordsBackend::readOrder(int id, Customer *order)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id, revision, %1 FROM orders WHERE id = ?").arg(OrderColumns));
    query.addBindValue(id);
    if (!query.exec())
        return failure(query);
    if (!query.next()) {
        commit();
        return StoreResult::failure(Status::NotFound);
    }
    Customer found = orderFrom(query, id, 2);
    found.revision = query.value(1).toLongLong();
    query.prepare(QStringLiteral("SELECT name, data FROM order_photos WHERE "
                                 "order_id = ? ORDER BY position"));
    query.addBindValue(id);
    if (!query.exec())
        return failure(query);
    while (query.next())
        found.photos.append(photoEntry(query.value(0).toString(), query.value(1).toByteArray()));
    result = commit();
    if (result.ok())
        *order = found;
    return result;
}

StoreResult ServerRecordsBackend::readPhoto(int orderId, int index, StoredPhoto *photo)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT name, data FROM order_photos WHERE "
                                 "order_id = ? AND position = ?"));
    query.addBindValue(orderId);
    query.addBindValue(index);
    if (!query.exec())
        return failure(query);
    if (!query.next()) {
        commit();
        return StoreResult::failure(Status::NotFound);
    }
    const StoredPhoto found(photoEntry(query.value(0).toString(), query.value(1).toByteArray()));
    result = commit();
    if (result.ok())
        *photo = found;
    return result;
}

StoreResult ServerRecordsBackend::insertPhotos(int orderId, const QList<StoredPhoto> &photos,
                                               const QList<QByteArray> *bytes)
{
    for (int i = 0; i < photos.size(); ++i) {
        const StoreResult result =
            insertPhoto(orderId, i, photos.at(i).name(),
                        bytes != nullptr ? bytes->value(i) : photos.at(i).imageData());
        if (!result.ok())
            return result;
    }
    return {};
}

StoreResult ServerRecordsBackend::insertPhoto(int orderId, int position, const QString &name,
                                              const QByteArray &jpeg)
{
    // Qt's driver would write the bytes into the statement as escaped text,
    // four times their size once in UTF-16: copying a year of photos took five
    // times as long as reading them. libpq takes them as they are.
    PGconn *conn = m_connection->handle();
    if (!conn)
        return failure(QStringLiteral("no connection to the clinic server"));
    const QByteArray id = QByteArray::number(orderId);
    const QByteArray place = QByteArray::number(position);
    const QByteArray utf8 = name.toUtf8();
    const QByteArray size = QByteArray::number(jpeg.size());
    // An empty photo (a damaged entry) is sent as empty bytes, never as NULL.
    const char *const values[] = {id.constData(), place.constData(), utf8.constData(),
                                  jpeg.isNull() ? "" : jpeg.constData(), size.constData()};
    const int lengths[] = {0, 0, 0, int(jpeg.size()), 0};
    const int formats[] = {0, 0, 0, 1, 0};
    PGresult *sent = PQexecParams(conn,
                                  "INSERT INTO order_photos (order_id, position, name, data, "
                                  "byte_size) VALUES ($1::integer, $2::integer, $3::text, "
                                  "$4::bytea, $5::integer)",
                                  5, nullptr, values, lengths, formats, 0);
    const bool ok = PQresultStatus(sent) == PGRES_COMMAND_OK;
    m_lastSqlState = QString::fromLatin1(PQresultErrorField(sent, PG_DIAG_SQLSTATE));
    PQclear(sent);
    if (ok)
        return {};
    const QString why = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    if (m_connection->lostConnection(m_lastSqlState, why))
        return StoreResult::failure(Status::Unreachable, why);
    qWarning() << "Clinic server statement failed:" << why;
    return failure(why);
}

StoreResult ServerRecordsBackend::insertRow(const Table &table, const QString &origin, int wantedId,
                                            const std::function<void(QSqlQuery &)> &bind, int *id)
{
    QSqlQuery query(m_connection->database());
    if (wantedId > 0) {
        query.prepare(QStringLiteral("INSERT INTO %1 (id, %2%3) VALUES (?, %4%5)"
                                     " ON CONFLICT (id) DO NOTHING RETURNING id")
                          .arg(table.name, originColumn(origin), table.columns, originValue(origin),
                               table.placeholders));
        query.addBindValue(wantedId);
    } else {
        query.prepare(QStringLiteral("INSERT INTO %1 (%2%3) VALUES (%4%5) RETURNING id")
                          .arg(table.name, originColumn(origin), table.columns, originValue(origin),
                               table.placeholders));
    }
    if (!origin.isEmpty())
        query.addBindValue(origin);
    bind(query);
    if (!query.exec())
        return failure(query);
    if (!query.next()) // the wanted id is taken: a new one then
        return insertRow(table, origin, 0, bind, id);
    *id = query.value(0).toInt();
    if (wantedId > 0) {
        // Kept ids must never be handed out again by the sequence.
        query.prepare(
            QStringLiteral("SELECT setval('%1', greatest(?, (SELECT last_value FROM %1)))")
                .arg(table.sequence));
        query.addBindValue(*id);
        if (!query.exec())
            return failure(query);
    }
    return {};
}

StoreResult ServerRecordsBackend::addRow(const std::function<StoreResult(int *)> &insert, int *id)
{
    for (int attempt = 0;; ++attempt) {
        StoreResult result = begin();
        if (!result.ok())
            return result;
        m_lastSqlState.clear();
        result = insert(id);
        if (result.ok())
            result = commit();
        if (result.ok() || result.status != Status::Failed || attempt + 1 >= MaxIdAttempts ||
            m_lastSqlState != UniqueViolation) {
            return result;
        }
    }
}

StoreResult ServerRecordsBackend::importRow(const Table &table, const QString &origin,
                                            const std::function<StoreResult(int *)> &insert,
                                            int *id, bool *added)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("SELECT id FROM %1 WHERE origin = ?").arg(table.name));
    query.addBindValue(origin);
    if (!query.exec())
        return failure(query);
    if (query.next()) {
        *id = query.value(0).toInt();
        *added = false;
        return commit();
    }
    result = insert(id);
    if (result.ok())
        result = commit();
    *added = result.ok();
    return result;
}

StoreResult ServerRecordsBackend::insertOrder(const Customer &order, const QString &origin,
                                              int wantedId, int *id,
                                              const QList<QByteArray> *photoBytes)
{
    const StoreResult result = insertRow(
        OrdersTable, origin, wantedId, [&](QSqlQuery &query) { bindOrder(query, order); }, id);
    return result.ok() ? insertPhotos(*id, order.photos, photoBytes) : result;
}

StoreResult ServerRecordsBackend::addOrder(Customer *order)
{
    int id = 0;
    const StoreResult result =
        addRow([&](int *newId) { return insertOrder(*order, QString(), 0, newId); }, &id);
    if (result.ok()) {
        order->id = id;
        order->revision = 1;
    }
    return result;
}

StoreResult ServerRecordsBackend::replacePhotos(int orderId, const QList<StoredPhoto> &photos)
{
    QSqlQuery query(m_connection->database());
    // What is stored now, by name, so unchanged photos are not sent again.
    query.prepare(QStringLiteral("SELECT position, name, sha256(data) FROM order_photos"
                                 " WHERE order_id = ? ORDER BY position"));
    query.addBindValue(orderId);
    if (!query.exec())
        return failure(query);
    struct Stored
    {
        int position;
        QString name;
        QByteArray digest;
        bool used = false;
    };
    QList<Stored> stored;
    while (query.next())
        stored.append(
            {query.value(0).toInt(), query.value(1).toString(), query.value(2).toByteArray()});
    // Park the stored rows below zero, then move kept ones to their new places.
    query.prepare(
        QStringLiteral("UPDATE order_photos SET position = -1 - position WHERE order_id = ?"));
    query.addBindValue(orderId);
    if (!query.exec())
        return failure(query);
    QSqlQuery move(m_connection->database());
    move.prepare(QStringLiteral("UPDATE order_photos SET position = ?, name = ? "
                                "WHERE order_id = ? AND position = ?"));
    for (int i = 0; i < photos.size(); ++i) {
        const StoredPhoto &photo = photos.at(i);
        const QByteArray jpeg = photo.imageData();
        const QByteArray digest = jpeg.isEmpty()
                                      ? QByteArray()
                                      : QCryptographicHash::hash(jpeg, QCryptographicHash::Sha256);
        Stored *keep = nullptr;
        for (Stored &s : stored) {
            if (!s.used && s.name == photo.name() && (digest.isEmpty() || s.digest == digest)) {
                keep = &s;
                break;
            }
        }
        if (keep) {
            keep->used = true;
            move.addBindValue(i);
            move.addBindValue(text(photo.name()));
            move.addBindValue(orderId);
            move.addBindValue(-1 - keep->position);
            if (!move.exec())
                return failure(move);
            continue;
        }
        // A listed photo without bytes must be one that is stored; never store it
        // empty.
        if (jpeg.isEmpty())
            return failure(QStringLiteral("photo %1 of order %2 is neither held nor stored")
                               .arg(photo.name())
                               .arg(orderId));
        const StoreResult inserted = insertPhoto(orderId, i, photo.name(), jpeg);
        if (!inserted.ok())
            return inserted;
    }
    query.prepare(QStringLiteral("DELETE FROM order_photos WHERE order_id = ? AND position < 0"));
    query.addBindValue(orderId);
    if (!query.exec())
        return failure(query);
    return {};
}

StoreResult ServerRecordsBackend::updateOrder(Customer *order)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    // The revision is claimed first: a second editor waits on the row and
    // then finds it moved on.
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("UPDATE orders SET (revision, %1) = (revision + 1, %2)"
                                 " WHERE id = ? AND revision = ? RETURNING revision")
                      .arg(OrderColumns, OrderPlaceholders));
    bindOrder(query, *order);
    query.addBindValue(order->id);
    query.addBindValue(order->revision);
    if (!query.exec())
        return failure(query);
    if (!query.next()) {
        query.prepare(QStringLiteral("SELECT 1 FROM orders WHERE id = ?"));
        query.addBindValue(order->id);
        if (!query.exec())
            return failure(query);
        const bool exists = query.next();
        m_connection->database().rollback();
        return StoreResult::failure(exists ? Status::Conflict : Status::NotFound);
    }
    const qint64 revision = query.value(0).toLongLong();
    result = replacePhotos(order->id, order->photos);
    if (result.ok())
        result = commit();
    if (result.ok())
        order->revision = revision;
    return result;
}

StoreResult ServerRecordsBackend::removeIds(const QString &table, const QList<int> &ids)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(table));
    int removed = 0;
    for (int id : ids) {
        query.addBindValue(id);
        if (!query.exec())
            return failure(query);
        removed += query.numRowsAffected();
    }
    result = commit();
    if (result.ok() && removed == 0)
        return StoreResult::failure(Status::NotFound);
    return result;
}

StoreResult ServerRecordsBackend::removeOrders(const QList<Customer> &orders)
{
    QList<int> ids;
    for (const Customer &order : orders)
        ids.append(order.id);
    return removeIds(QStringLiteral("orders"), ids);
}

QList<Fitter> ServerRecordsBackend::listFitters(StoreResult *result)
{
    StoreResult outcome = begin();
    QList<Fitter> list;
    if (outcome.ok()) {
        QSqlQuery query(m_connection->database());
        query.setForwardOnly(true);
        if (query.exec(
                QStringLiteral("SELECT id, %1 FROM inspectors ORDER BY id").arg(FitterColumns))) {
            while (query.next())
                list.append(fitterFrom(query, 0));
            outcome = commit();
        } else {
            outcome = failure(query);
        }
    }
    if (result)
        *result = outcome;
    return outcome.ok() ? list : QList<Fitter>();
}

StoreResult ServerRecordsBackend::insertFitter(const Fitter &fitter, const QString &origin,
                                               int wantedId, int *id)
{
    return insertRow(
        InspectorsTable, origin, wantedId, [&](QSqlQuery &query) { bindFitter(query, fitter); },
        id);
}

StoreResult ServerRecordsBackend::addFitter(Fitter *fitter)
{
    int id = 0;
    const StoreResult result =
        addRow([&](int *newId) { return insertFitter(*fitter, QString(), 0, newId); }, &id);
    if (result.ok())
        fitter->id = id;
    return result;
}

StoreResult ServerRecordsBackend::updateFitter(const Fitter &stored, const Fitter &changed)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    // Inspectors carry no revision: what the edit started from is compared whole.
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("UPDATE inspectors SET (revision, %1) = (revision + 1, %2)"
                                 " WHERE id = ? AND %3")
                      .arg(FitterColumns, FitterPlaceholders, FitterMatch));
    bindFitter(query, changed);
    query.addBindValue(stored.id);
    bindFitter(query, stored);
    if (!query.exec())
        return failure(query);
    if (query.numRowsAffected() == 1)
        return commit();
    query.prepare(QStringLiteral("SELECT 1 FROM inspectors WHERE id = ?"));
    query.addBindValue(stored.id);
    if (!query.exec())
        return failure(query);
    const bool exists = query.next();
    m_connection->database().rollback();
    return StoreResult::failure(exists ? Status::Conflict : Status::NotFound);
}

StoreResult ServerRecordsBackend::removeFitters(const QList<Fitter> &fitters)
{
    QList<int> ids;
    for (const Fitter &fitter : fitters)
        ids.append(fitter.id);
    return removeIds(QStringLiteral("inspectors"), ids);
}

ReportConfig ServerRecordsBackend::readReportConfig(StoreResult *result)
{
    StoreResult outcome = begin();
    ReportConfig found;
    if (outcome.ok()) {
        QSqlQuery query(m_connection->database());
        if (query.exec(QStringLiteral("SELECT company_name, report_title, default_notes"
                                      " FROM report_config WHERE id = 1"))) {
            if (query.next()) {
                found.companyName = query.value(0).toString();
                found.reportTitle = query.value(1).toString();
                found.defaultNotes = query.value(2).toString();
            }
            outcome = commit();
        } else {
            outcome = failure(query);
        }
    }
    if (result)
        *result = outcome;
    return outcome.ok() ? found : ReportConfig();
}

StoreResult ServerRecordsBackend::writeReportConfig(const ReportConfig &config)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("INSERT INTO report_config (id, company_name, "
                                 "report_title, default_notes)"
                                 " VALUES (1, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET "
                                 "company_name = excluded.company_name,"
                                 " report_title = excluded.report_title, default_notes = "
                                 "excluded.default_notes"));
    query.addBindValue(text(config.companyName));
    query.addBindValue(text(config.reportTitle));
    query.addBindValue(text(config.defaultNotes));
    if (!query.exec())
        return failure(query);
    return commit();
}

StoreResult ServerRecordsBackend::importOrder(const Customer &order,
                                              const QList<QByteArray> &photoBytes,
                                              const QString &origin, int *id, bool *added)
{
    return importRow(
        OrdersTable, origin,
        [&](int *newId) { return insertOrder(order, origin, order.id, newId, &photoBytes); }, id,
        added);
}

StoreResult ServerRecordsBackend::importFitter(const Fitter &fitter, const QString &origin, int *id,
                                               bool *added)
{
    return importRow(
        InspectorsTable, origin,
        [&](int *newId) { return insertFitter(fitter, origin, fitter.id, newId); }, id, added);
}

StoreResult ServerRecordsBackend::photoDigests(const QString &origin,
                                               QList<QPair<QString, QByteArray>> *digests)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT p.name, sha256(p.data) FROM order_photos p"
                                 " JOIN orders o ON o.id = p.order_id WHERE o.origin = ?"
                                 " ORDER BY p.position"));
    query.addBindValue(origin);
    if (!query.exec())
        return failure(query);
    QList<QPair<QString, QByteArray>> found;
    while (query.next())
        found.append({query.value(0).toString(), query.value(1).toByteArray()});
    result = commit();
    if (result.ok())
        *digests = found;
    return result;
}

StoreResult ServerRecordsBackend::countRecords(int *orders, int *fitters)
{
    StoreResult result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    if (!query.exec(QStringLiteral("SELECT (SELECT count(*) FROM orders), "
                                   "(SELECT count(*) FROM inspectors)")) ||
        !query.next()) {
        return failure(query);
    }
    *orders = query.value(0).toInt();
    *fitters = query.value(1).toInt();
    return commit();
}

#include "records/server/serverrecordsbackend.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using Status = ServerRecordsBackend::Status;
using Result = ServerRecordsBackend::Result;

// Another workstation took the id between our look and our insert; trying
// again with the next number is all it takes.
constexpr int MaxIdAttempts = 8;
const QString UniqueViolation = QStringLiteral("23505");

const QString OrderColumns = QStringLiteral(
    "order_number, name, patient_id, gender, birth_date, phone, age, address, email, fitter_id, "
    "fitter_name, fitter_work_id, fitter_clinic, notes, diagnosis, created_at");
const QString OrderPlaceholders = QStringLiteral("?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?");
const QString FitterColumns = QStringLiteral(
    "name, work_id, clinic_name, phone, work_years, gender, skill, note, is_default");
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

// An empty photo (a damaged entry) is kept as empty bytes, never as NULL.
QByteArray bytes(const QByteArray &value)
{
    return value.isNull() ? QByteArray("") : value;
}

QString photoEntry(const QString &name, const QByteArray &jpeg)
{
    return name + QLatin1Char('|') + QString::fromLatin1(jpeg.toBase64());
}

} // namespace

ServerRecordsBackend::ServerRecordsBackend(const ServerSettings &settings)
    : m_connection(std::make_unique<ServerConnection>(settings))
{
}

ServerConnection::State ServerRecordsBackend::probe()
{
    return m_connection->open();
}

Result ServerRecordsBackend::begin()
{
    switch (m_connection->open()) {
    case ServerConnection::State::Connected:
        break;
    case ServerConnection::State::Unreachable:
        return {Status::Unreachable, m_connection->detail()};
    default:
        return {Status::Failed, m_connection->detail()};
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
            return {Status::Unreachable, m_connection->detail()};
        }
        return {Status::Failed, m_connection->database().lastError().text()};
    }
    return {};
}

Result ServerRecordsBackend::failure(QSqlQuery &query)
{
    const bool gone = m_connection->lostConnection(query);
    const QString why = query.lastError().text();
    const QString code = query.lastError().nativeErrorCode();
    if (!gone) {
        m_connection->noteFailure(query);
        m_connection->database().rollback();
    }
    return {gone ? Status::Unreachable : Status::Failed, why, code};
}

Result ServerRecordsBackend::failure(const QString &why)
{
    m_connection->database().rollback();
    return {Status::Failed, why};
}

Result ServerRecordsBackend::commit()
{
    if (m_connection->database().commit())
        return {};
    QSqlQuery probe(m_connection->database());
    probe.exec(QStringLiteral("SELECT 1"));
    if (m_connection->lostConnection(probe))
        return {Status::Unreachable, m_connection->detail()};
    const QString why = m_connection->database().lastError().text();
    m_connection->database().rollback();
    return {Status::Failed, why};
}

Result ServerRecordsBackend::listOrders(QList<OrderSummary> *orders)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    // Newest first, as the list shows them; the photos' names and sizes in
    // one JSON text per order so the bytes never leave the server.
    if (!query.exec(QStringLiteral("SELECT o.id, o.revision, %1,"
                                   " (SELECT json_agg(json_build_array(p.name, p.byte_size)"
                                   "   ORDER BY p.position)::text FROM order_photos p"
                                   "   WHERE p.order_id = o.id)"
                                   " FROM orders o ORDER BY o.created_at DESC, o.id DESC")
                        .arg(OrderColumns))) {
        return failure(query);
    }
    QList<OrderSummary> list;
    while (query.next()) {
        OrderSummary summary;
        summary.order = orderFrom(query, query.value(0).toInt(), 2);
        summary.revision = query.value(1).toInt();
        const QJsonArray photos = QJsonDocument::fromJson(query.value(18).toByteArray()).array();
        for (const QJsonValue &photo : photos) {
            const QJsonArray pair = photo.toArray();
            summary.photos.append({pair.at(0).toString(), qint64(pair.at(1).toDouble())});
        }
        list.append(summary);
    }
    if (query.lastError().isValid())
        return failure(query);
    result = commit();
    if (result.ok())
        *orders = list;
    return result;
}

Result ServerRecordsBackend::readOrder(int id, Customer *order, int *revision)
{
    Result result = begin();
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
        return {Status::NotFound, {}};
    }
    Customer found = orderFrom(query, id, 2);
    const int foundRevision = query.value(1).toInt();
    query.prepare(
        QStringLiteral("SELECT name, data FROM order_photos WHERE order_id = ? ORDER BY position"));
    query.addBindValue(id);
    if (!query.exec())
        return failure(query);
    while (query.next())
        found.photos.append(photoEntry(query.value(0).toString(), query.value(1).toByteArray()));
    result = commit();
    if (result.ok()) {
        *order = found;
        if (revision)
            *revision = foundRevision;
    }
    return result;
}

Result ServerRecordsBackend::readPhoto(int orderId, int position, PhotoData *photo)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT name, data FROM order_photos WHERE order_id = ? AND position = ?"));
    query.addBindValue(orderId);
    query.addBindValue(position);
    if (!query.exec())
        return failure(query);
    if (!query.next()) {
        commit();
        return {Status::NotFound, {}};
    }
    PhotoData found{query.value(0).toString(), query.value(1).toByteArray()};
    result = commit();
    if (result.ok())
        *photo = found;
    return result;
}

Result ServerRecordsBackend::insertPhotos(QSqlQuery &query, int orderId,
                                          const QList<StoredPhoto> &photos, int from)
{
    query.prepare(
        QStringLiteral("INSERT INTO order_photos (order_id, position, name, data, byte_size)"
                       " VALUES (?, ?, ?, ?, ?)"));
    for (int i = from; i < photos.size(); ++i) {
        const QByteArray jpeg = photos.at(i).imageData();
        query.addBindValue(orderId);
        query.addBindValue(i);
        query.addBindValue(text(photos.at(i).name()));
        query.addBindValue(bytes(jpeg));
        query.addBindValue(int(jpeg.size()));
        if (!query.exec())
            return failure(query);
    }
    return {};
}

Result ServerRecordsBackend::insertOrder(const Customer &order, const QString &origin, int wantedId,
                                         int *id)
{
    QSqlQuery query(m_connection->database());
    if (wantedId > 0) {
        query.prepare(
            QStringLiteral("INSERT INTO orders (id, %1%2) VALUES (?, %3%4)"
                           " ON CONFLICT (id) DO NOTHING RETURNING id")
                .arg(originColumn(origin), OrderColumns, originValue(origin), OrderPlaceholders));
        query.addBindValue(wantedId);
    } else {
        query.prepare(
            QStringLiteral("INSERT INTO orders (%1%2) VALUES (%3%4) RETURNING id")
                .arg(originColumn(origin), OrderColumns, originValue(origin), OrderPlaceholders));
    }
    if (!origin.isEmpty())
        query.addBindValue(origin);
    bindOrder(query, order);
    if (!query.exec())
        return failure(query);
    if (!query.next()) // the wanted id is taken: a new one then
        return insertOrder(order, origin, 0, id);
    *id = query.value(0).toInt();
    if (wantedId > 0) {
        // Kept ids must never be handed out again by the sequence.
        query.prepare(QStringLiteral(
            "SELECT setval('order_ids', greatest(?, (SELECT last_value FROM order_ids)))"));
        query.addBindValue(*id);
        if (!query.exec())
            return failure(query);
    }
    return insertPhotos(query, *id, order.photos, 0);
}

Result ServerRecordsBackend::addOrder(Customer *order, int *revision)
{
    for (int attempt = 0;; ++attempt) {
        Result result = begin();
        if (!result.ok())
            return result;
        int id = 0;
        result = insertOrder(*order, QString(), 0, &id);
        if (result.ok())
            result = commit();
        if (result.ok()) {
            order->id = id;
            if (revision)
                *revision = 1;
            return result;
        }
        if (result.status != Status::Failed || attempt + 1 >= MaxIdAttempts ||
            result.sqlState != UniqueViolation) {
            return result;
        }
    }
}

Result ServerRecordsBackend::replacePhotos(int orderId, const QList<StoredPhoto> &photos)
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
    move.prepare(QStringLiteral(
        "UPDATE order_photos SET position = ?, name = ? WHERE order_id = ? AND position = ?"));
    QSqlQuery insert(m_connection->database());
    insert.prepare(
        QStringLiteral("INSERT INTO order_photos (order_id, position, name, data, byte_size)"
                       " VALUES (?, ?, ?, ?, ?)"));
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
        // A listed photo without bytes must be one that is stored; never store it empty.
        if (jpeg.isEmpty())
            return failure(QStringLiteral("photo %1 of order %2 is neither held nor stored")
                               .arg(photo.name())
                               .arg(orderId));
        insert.addBindValue(orderId);
        insert.addBindValue(i);
        insert.addBindValue(text(photo.name()));
        insert.addBindValue(bytes(jpeg));
        insert.addBindValue(int(jpeg.size()));
        if (!insert.exec())
            return failure(insert);
    }
    query.prepare(QStringLiteral("DELETE FROM order_photos WHERE order_id = ? AND position < 0"));
    query.addBindValue(orderId);
    if (!query.exec())
        return failure(query);
    return {};
}

Result ServerRecordsBackend::changeRevision(const QString &table, int id, int revision, bool remove,
                                            int *newRevision)
{
    QSqlQuery query(m_connection->database());
    if (remove) {
        query.prepare(QStringLiteral("DELETE FROM %1 WHERE id = ? AND (? < 0 OR revision = ?)"
                                     " RETURNING revision")
                          .arg(table));
        query.addBindValue(id);
        query.addBindValue(revision);
        query.addBindValue(revision);
    } else {
        query.prepare(QStringLiteral("UPDATE %1 SET revision = revision + 1"
                                     " WHERE id = ? AND revision = ? RETURNING revision")
                          .arg(table));
        query.addBindValue(id);
        query.addBindValue(revision);
    }
    if (!query.exec())
        return failure(query);
    if (query.next()) {
        if (newRevision)
            *newRevision = query.value(0).toInt();
        return {};
    }
    query.prepare(QStringLiteral("SELECT revision FROM %1 WHERE id = ?").arg(table));
    query.addBindValue(id);
    if (!query.exec())
        return failure(query);
    const bool exists = query.next();
    m_connection->database().rollback();
    return {exists ? Status::Conflict : Status::NotFound, {}};
}

Result ServerRecordsBackend::updateOrder(const Customer &order, int *revision)
{
    Result result = begin();
    if (!result.ok())
        return result;
    int next = 0;
    // The revision is claimed first: a second editor waits on the row and
    // then finds it moved on.
    result =
        changeRevision(QStringLiteral("orders"), order.id, revision ? *revision : 0, false, &next);
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("UPDATE orders SET (%1) = (%2) WHERE id = ?")
                      .arg(OrderColumns, OrderPlaceholders));
    bindOrder(query, order);
    query.addBindValue(order.id);
    if (!query.exec())
        return failure(query);
    result = replacePhotos(order.id, order.photos);
    if (result.ok())
        result = commit();
    if (result.ok() && revision)
        *revision = next;
    return result;
}

Result ServerRecordsBackend::removeOrder(int id, int revision)
{
    Result result = begin();
    if (!result.ok())
        return result;
    result = changeRevision(QStringLiteral("orders"), id, revision, true, nullptr);
    return result.ok() ? commit() : result;
}

Result ServerRecordsBackend::listFitters(QList<Fitter> *fitters, QList<int> *revisions)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT revision, id, %1 FROM inspectors ORDER BY id")
                        .arg(FitterColumns))) {
        return failure(query);
    }
    QList<Fitter> list;
    QList<int> revs;
    while (query.next()) {
        revs.append(query.value(0).toInt());
        list.append(fitterFrom(query, 1));
    }
    result = commit();
    if (result.ok()) {
        *fitters = list;
        if (revisions)
            *revisions = revs;
    }
    return result;
}

Result ServerRecordsBackend::insertFitter(const Fitter &fitter, const QString &origin, int wantedId,
                                          int *id)
{
    QSqlQuery query(m_connection->database());
    if (wantedId > 0) {
        query.prepare(
            QStringLiteral("INSERT INTO inspectors (id, %1%2) VALUES (?, %3%4)"
                           " ON CONFLICT (id) DO NOTHING RETURNING id")
                .arg(originColumn(origin), FitterColumns, originValue(origin), FitterPlaceholders));
        query.addBindValue(wantedId);
    } else {
        query.prepare(
            QStringLiteral("INSERT INTO inspectors (%1%2) VALUES (%3%4) RETURNING id")
                .arg(originColumn(origin), FitterColumns, originValue(origin), FitterPlaceholders));
    }
    if (!origin.isEmpty())
        query.addBindValue(origin);
    bindFitter(query, fitter);
    if (!query.exec())
        return failure(query);
    if (!query.next())
        return insertFitter(fitter, origin, 0, id);
    *id = query.value(0).toInt();
    if (wantedId > 0) {
        query.prepare(QStringLiteral(
            "SELECT setval('inspector_ids', greatest(?, (SELECT last_value FROM inspector_ids)))"));
        query.addBindValue(*id);
        if (!query.exec())
            return failure(query);
    }
    return {};
}

Result ServerRecordsBackend::addFitter(Fitter *fitter, int *revision)
{
    for (int attempt = 0;; ++attempt) {
        Result result = begin();
        if (!result.ok())
            return result;
        int id = 0;
        result = insertFitter(*fitter, QString(), 0, &id);
        if (result.ok())
            result = commit();
        if (result.ok()) {
            fitter->id = id;
            if (revision)
                *revision = 1;
            return result;
        }
        if (result.status != Status::Failed || attempt + 1 >= MaxIdAttempts ||
            result.sqlState != UniqueViolation) {
            return result;
        }
    }
}

Result ServerRecordsBackend::updateFitter(const Fitter &fitter, int *revision)
{
    Result result = begin();
    if (!result.ok())
        return result;
    int next = 0;
    result = changeRevision(QStringLiteral("inspectors"), fitter.id, revision ? *revision : 0,
                            false, &next);
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("UPDATE inspectors SET (%1) = (%2) WHERE id = ?")
                      .arg(FitterColumns, FitterPlaceholders));
    bindFitter(query, fitter);
    query.addBindValue(fitter.id);
    if (!query.exec())
        return failure(query);
    result = commit();
    if (result.ok() && revision)
        *revision = next;
    return result;
}

Result ServerRecordsBackend::removeFitter(int id, int revision)
{
    Result result = begin();
    if (!result.ok())
        return result;
    result = changeRevision(QStringLiteral("inspectors"), id, revision, true, nullptr);
    return result.ok() ? commit() : result;
}

Result ServerRecordsBackend::readReportConfig(ReportConfig *config)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    if (!query.exec(QStringLiteral(
            "SELECT company_name, report_title, default_notes FROM report_config WHERE id = 1")))
        return failure(query);
    ReportConfig found;
    if (query.next()) {
        found.companyName = query.value(0).toString();
        found.reportTitle = query.value(1).toString();
        found.defaultNotes = query.value(2).toString();
    }
    result = commit();
    if (result.ok())
        *config = found;
    return result;
}

Result ServerRecordsBackend::writeReportConfig(const ReportConfig &config)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral(
        "INSERT INTO report_config (id, company_name, report_title, default_notes)"
        " VALUES (1, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET company_name = excluded.company_name,"
        " report_title = excluded.report_title, default_notes = excluded.default_notes"));
    query.addBindValue(text(config.companyName));
    query.addBindValue(text(config.reportTitle));
    query.addBindValue(text(config.defaultNotes));
    if (!query.exec())
        return failure(query);
    return commit();
}

Result ServerRecordsBackend::importOrder(const Customer &order, const QString &origin, int *id,
                                         bool *added)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("SELECT id FROM orders WHERE origin = ?"));
    query.addBindValue(origin);
    if (!query.exec())
        return failure(query);
    if (query.next()) {
        *id = query.value(0).toInt();
        *added = false;
        return commit();
    }
    result = insertOrder(order, origin, order.id, id);
    if (result.ok())
        result = commit();
    *added = result.ok();
    return result;
}

Result ServerRecordsBackend::importFitter(const Fitter &fitter, const QString &origin, int *id,
                                          bool *added)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("SELECT id FROM inspectors WHERE origin = ?"));
    query.addBindValue(origin);
    if (!query.exec())
        return failure(query);
    if (query.next()) {
        *id = query.value(0).toInt();
        *added = false;
        return commit();
    }
    result = insertFitter(fitter, origin, fitter.id, id);
    if (result.ok())
        result = commit();
    *added = result.ok();
    return result;
}

Result ServerRecordsBackend::photoDigests(const QString &origin,
                                          QList<QPair<QString, QByteArray>> *digests)
{
    Result result = begin();
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

Result ServerRecordsBackend::countRecords(int *orders, int *fitters)
{
    Result result = begin();
    if (!result.ok())
        return result;
    QSqlQuery query(m_connection->database());
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT count(*) FROM orders), (SELECT count(*) FROM inspectors)")) ||
        !query.next()) {
        return failure(query);
    }
    *orders = query.value(0).toInt();
    *fitters = query.value(1).toInt();
    return commit();
}

#pragma once

#include "records/server/serverconnection.h"
#include "records/store/recordsbackend.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <functional>
#include <memory>

// Orders, inspectors and the report texts kept on a clinic server. Every
// change is one transaction: it is there whole or not at all. An edit names
// the revision it started from; when someone else saved the record since, the
// edit is refused instead of overwriting theirs. When the server is away,
// calls answer Unreachable and the next call tries to connect again.
class ServerRecordsBackend : public RecordsBackend
{
public:
    explicit ServerRecordsBackend(const ServerSettings &settings);

    ServerConnection &connection() { return *m_connection; }
    // Connects (or reconnects) now; what the settings page shows.
    ServerConnection::State probe();

    // Listed orders carry their photos' names only (entries "name|").
    QList<Customer> listOrders(StoreResult *result = nullptr) override;
    StoreResult readOrder(int id, Customer *order) override;
    StoreResult readPhoto(int orderId, int index, StoredPhoto *photo) override;
    StoreResult addOrder(Customer *order) override;
    // Photos whose bytes are not held (listed ones) keep the stored bytes of
    // the photo of the same name.
    StoreResult updateOrder(Customer *order) override;
    StoreResult removeOrders(const QList<Customer> &orders) override;

    QList<Fitter> listFitters(StoreResult *result = nullptr) override;
    StoreResult addFitter(Fitter *fitter) override;
    StoreResult updateFitter(const Fitter &stored, const Fitter &changed) override;
    StoreResult removeFitters(const QList<Fitter> &fitters) override;

    ReportConfig readReportConfig(StoreResult *result = nullptr) override;
    StoreResult writeReportConfig(const ReportConfig &config) override;

    bool supportsConcurrentWriters() const override { return true; }

    // Adds a record that came from a workstation's files, keyed by `origin`:
    // nothing is added when a record with that origin is already there.
    // `id` is kept when free. `added` tells whether this call added it.
    // `photoBytes` are the bytes of the order's photos, read once by the caller.
    StoreResult importOrder(const Customer &order, const QList<QByteArray> &photoBytes,
                            const QString &origin, int *id, bool *added);
    StoreResult importFitter(const Fitter &fitter, const QString &origin, int *id, bool *added);
    // The stored photos of the order added under `origin`: names and SHA-256 of
    // the bytes.
    StoreResult photoDigests(const QString &origin, QList<QPair<QString, QByteArray>> *digests);
    StoreResult countRecords(int *orders, int *fitters);

private:
    struct Table;
    static const Table OrdersTable;
    static const Table InspectorsTable;

    StoreResult begin();
    StoreResult failure(QSqlQuery &query);
    StoreResult failure(const QString &why);
    StoreResult commit();
    // The bytes are read from `photos` unless `bytes` holds them.
    StoreResult insertPhotos(int orderId, const QList<StoredPhoto> &photos,
                             const QList<QByteArray> *bytes = nullptr);
    StoreResult insertPhoto(int orderId, int position, const QString &name, const QByteArray &jpeg);
    StoreResult replacePhotos(int orderId, const QList<StoredPhoto> &photos);
    StoreResult insertRow(const Table &table, const QString &origin, int wantedId,
                          const std::function<void(QSqlQuery &)> &bind, int *id);
    // Inserts in a transaction of its own, again when another workstation
    // took the id between our look and our insert.
    StoreResult addRow(const std::function<StoreResult(int *)> &insert, int *id);
    StoreResult importRow(const Table &table, const QString &origin,
                          const std::function<StoreResult(int *)> &insert, int *id, bool *added);
    StoreResult insertOrder(const Customer &order, const QString &origin, int wantedId, int *id,
                            const QList<QByteArray> *photoBytes = nullptr);
    StoreResult insertFitter(const Fitter &fitter, const QString &origin, int wantedId, int *id);
    StoreResult removeIds(const QString &table, const QList<int> &ids);

    std::unique_ptr<ServerConnection> m_connection;
    QString m_lastSqlState; // of the last failed statement
};

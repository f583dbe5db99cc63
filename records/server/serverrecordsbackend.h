#pragma once

#include "records/server/serverconnection.h"
#include "records/store/customer.h"
#include "records/store/fitter.h"
#include "records/store/reportconfig.h"

#include <QByteArray>
#include <QList>
#include <memory>

// Orders, inspectors and the report texts kept on a clinic server. Every
// change is one transaction: it is there whole or not at all. An edit names
// the revision it started from; when someone else saved the record since, the
// edit is refused instead of overwriting theirs. When the server is away,
// calls answer Unreachable and the next call tries to connect again.
class ServerRecordsBackend
{
public:
    enum class Status { Ok, Conflict, NotFound, Unreachable, Failed };
    struct Result
    {
        Result() = default;
        Result(Status s, const QString &why = {}, const QString &code = {})
            : status(s), detail(why), sqlState(code)
        {
        }
        Status status = Status::Ok;
        QString detail;
        QString sqlState; // the server's error code, when it gave one
        bool ok() const { return status == Status::Ok; }
    };
    // A photo as listed: where it is and how big, without its bytes.
    struct PhotoInfo
    {
        QString name;
        qint64 byteSize = 0;
    };
    struct OrderSummary
    {
        Customer order; // without photos
        int revision = 0;
        QList<PhotoInfo> photos;
    };
    struct PhotoData
    {
        QString name;
        QByteArray jpeg;
    };

    explicit ServerRecordsBackend(const ServerSettings &settings);

    ServerConnection &connection() { return *m_connection; }
    // Connects (or reconnects) now; what the settings page shows.
    ServerConnection::State probe();

    // Every order, newest first as the list shows them, without photo bytes.
    Result listOrders(QList<OrderSummary> *orders);
    // One order with all its photos; `revision` is what an edit must name.
    Result readOrder(int id, Customer *order, int *revision = nullptr);
    Result readPhoto(int orderId, int position, PhotoData *photo);
    // Adds the order with a new id (set in `order`) and its photos.
    Result addOrder(Customer *order, int *revision = nullptr);
    // Replaces the stored order of that id if it is still at `revision`.
    // Photos whose bytes are not held (listed ones) keep the stored bytes of
    // the photo of the same name. `revision` becomes the new one.
    Result updateOrder(const Customer &order, int *revision);
    Result removeOrder(int id, int revision = -1);

    Result listFitters(QList<Fitter> *fitters, QList<int> *revisions = nullptr);
    Result addFitter(Fitter *fitter, int *revision = nullptr);
    Result updateFitter(const Fitter &fitter, int *revision);
    Result removeFitter(int id, int revision = -1);

    Result readReportConfig(ReportConfig *config);
    Result writeReportConfig(const ReportConfig &config);

    // Adds a record that came from a workstation's files, keyed by `origin`:
    // nothing is added when a record with that origin is already there.
    // `id` is kept when free. `added` tells whether this call added it.
    Result importOrder(const Customer &order, const QString &origin, int *id, bool *added);
    Result importFitter(const Fitter &fitter, const QString &origin, int *id, bool *added);
    // The stored photos of the order added under `origin`: names and SHA-256 of the bytes.
    Result photoDigests(const QString &origin, QList<QPair<QString, QByteArray>> *digests);
    Result countRecords(int *orders, int *fitters);

private:
    Result begin();
    Result failure(QSqlQuery &query);
    Result failure(const QString &why);
    Result commit();
    Result insertPhotos(QSqlQuery &query, int orderId, const QList<StoredPhoto> &photos, int from);
    Result replacePhotos(int orderId, const QList<StoredPhoto> &photos);
    Result insertOrder(const Customer &order, const QString &origin, int wantedId, int *id);
    Result insertFitter(const Fitter &fitter, const QString &origin, int wantedId, int *id);
    Result changeRevision(const QString &table, int id, int revision, bool remove,
                          int *newRevision);

    std::unique_ptr<ServerConnection> m_connection;
};

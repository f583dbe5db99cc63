#pragma once

#include "records/store/recordsbackend.h"

#include <QString>

#include <functional>
#include <mutex>

// The records of this computer: customers.json, fitters.json and
// reportconfig.json in one folder, in the format every earlier version wrote.
// Each change reads the file as it is now, changes one record and writes the
// file whole, under a lock file, so that two copies of the program on this
// computer (or two threads) never lose each other's records or share an id.
//
// The files hold no revision; an order's revision is a fingerprint of what is
// stored for it, so files stay as they were and a changed order is still told.
class JsonRecordsBackend : public RecordsBackend
{
public:
    // `folder` holds the three files; empty means the per-user data directory,
    // looked up on every call.
    explicit JsonRecordsBackend(const QString &folder = QString());

    QString customersPath() const;
    QString fittersPath() const;
    QString reportConfigPath() const;

    QList<Customer> listOrders(StoreResult *result = nullptr) override;
    StoreResult readOrder(int id, Customer *order) override;
    StoreResult readPhoto(int orderId, int index, StoredPhoto *photo) override;
    StoreResult addOrder(Customer *order) override;
    StoreResult updateOrder(Customer *order) override;
    StoreResult removeOrders(const QList<Customer> &orders) override;

    QList<Fitter> listFitters(StoreResult *result = nullptr) override;
    StoreResult addFitter(Fitter *fitter) override;
    StoreResult updateFitter(const Fitter &stored, const Fitter &changed) override;
    StoreResult removeFitters(const QList<Fitter> &fitters) override;

    ReportConfig readReportConfig(StoreResult *result = nullptr) override;
    StoreResult writeReportConfig(const ReportConfig &config) override;

    bool supportsConcurrentWriters() const override { return true; }

    // What an order's revision is made of: every stored field and the names
    // of its photos, in order.
    static qint64 revisionOf(const Customer &order);

private:
    QString folder() const;
    QList<Customer> loadOrders(StoreResult *result);
    // Reads the file as it is now, lets `change` change the list and writes it
    // back; a failure from `change` writes nothing.
    StoreResult changeOrders(const std::function<StoreResult(QList<Customer> &)> &change);
    StoreResult changeFitters(const std::function<StoreResult(QList<Fitter> &)> &change);
    // Runs `work` holding this process's mutex and the folder's lock file.
    StoreResult underLock(const std::function<StoreResult()> &work);

    QString m_folder;
    std::recursive_mutex m_mutex;
    int m_lockDepth = 0; // changes of this backend under way on its thread
};

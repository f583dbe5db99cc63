#pragma once

#include "records/store/customer.h"
#include "records/store/fitter.h"
#include "records/store/reportconfig.h"
#include "records/store/storeresult.h"

#include <QList>
#include <QString>

#include <memory>

// Where orders, inspectors and the report configuration are kept, as the pages
// see it: one operation per thing a page means to do, so that a store shared
// by several workstations never has a whole list rewritten for one change.
//
// Orders and inspectors keep the ids users see; a backend assigns them when a
// record is added, so two writers adding at once get distinct ids. Every order
// read from a backend carries its revision; an update naming a revision that
// is no longer the stored one is refused as a conflict and nothing is written.
//
// Calls come from the GUI thread. A failed call leaves the store as it was and
// says why in its result, so the caller can keep its work and offer a retry.
class RecordsBackend
{
public:
    virtual ~RecordsBackend() = default;

    // The backend every page uses; the JSON files of this computer unless one
    // was set.
    static RecordsBackend &current();
    // Makes `backend` the current one; null brings back the JSON files.
    static void setCurrent(std::shared_ptr<RecordsBackend> backend);

    // All orders in store order (oldest first). Photos carry their names and
    // count; their bytes are only sure to be readable after readOrder or
    // readPhoto, and such a listed order must not be written back as it is.
    virtual QList<Customer> listOrders(StoreResult *result = nullptr) = 0;
    // One order with its photos (the first with this id); NotFound when none.
    virtual StoreResult readOrder(int id, Customer *order) = 0;
    // Photo `index` of order `orderId`, bytes included.
    virtual StoreResult readPhoto(int orderId, int index, StoredPhoto *photo) = 0;
    // Stores `order` as a new order at the end. Its id is assigned here (the
    // one given is ignored); `order` gets it and its revision back.
    virtual StoreResult addOrder(Customer *order) = 0;
    // Replaces the stored order with `order`'s id, fields and photos alike,
    // when its revision is still `order->revision`; Conflict (nothing written)
    // when the order changed since it was read, NotFound when it is gone.
    // `order` gets its new revision back.
    virtual StoreResult updateOrder(Customer *order) = 0;
    // Removes exactly these orders as they were read: by id, and where a
    // hand-edited store gives two orders one id, the one that was listed.
    // Orders already gone are skipped. NotFound when none of them was stored.
    virtual StoreResult removeOrders(const QList<Customer> &orders) = 0;

    // All inspectors in store order.
    virtual QList<Fitter> listFitters(StoreResult *result = nullptr) = 0;
    // Stores `fitter` as a new inspector at the end with an id assigned here.
    virtual StoreResult addFitter(Fitter *fitter) = 0;
    // Replaces the inspector stored as `stored` (as it was read) with
    // `changed`, which keeps its id; Conflict when it changed since it was
    // read, NotFound when it is gone.
    virtual StoreResult updateFitter(const Fitter &stored, const Fitter &changed) = 0;
    // Removes exactly these inspectors as they were read; ones already gone
    // are skipped. NotFound when none of them was stored.
    virtual StoreResult removeFitters(const QList<Fitter> &fitters) = 0;

    // The report configuration; all three texts empty when nothing usable is stored.
    virtual ReportConfig readReportConfig(StoreResult *result = nullptr) = 0;
    virtual StoreResult writeReportConfig(const ReportConfig &config) = 0;

    // Whether two writers (threads of this process or other processes) may
    // add at the same moment and still get distinct ids.
    virtual bool supportsConcurrentWriters() const { return false; }
};

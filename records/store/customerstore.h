#pragma once

#include "records/store/customer.h"
#include "records/store/fileidentity.h"
#include "records/store/jsonfilestore.h"
#include "records/store/storedphoto.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

// The order store behind loadCustomers and saveCustomers. A load scans the
// file once and keeps the orders (photos as references into the file) while
// the file stays the one this process last read or wrote; a save streams the
// new file out, copying unchanged photos from the old one, and keeps what it
// wrote, so neither is followed by another scan.
class CustomerStore
{
public:
    static CustomerStore &instance();

    // The orders of the file at `path` in file order; empty when it is
    // missing or cannot be read (see JsonFileStore for what that implies).
    QList<Customer> load(const QString &path);
    // The same, saying what the read found.
    QList<Customer> load(const QString &path, JsonFileStore::ReadStatus *status);
    // Replaces the file at `path` with `customers`; true once the new file is
    // completely on disk and in place.
    bool save(const QString &path, const QList<Customer> &customers);

    // The same photo (order id, position and name) in the file as it is now;
    // a photo that is no reference when it is no longer there.
    StoredPhoto relocate(const StoredPhoto &photo);

    // Drops what is known of every file, so the next load scans again.
    void forget();

    // Runs the writing part of a save, which touches nothing but the files:
    // the program runs it on a worker thread and keeps its window painted.
    // Without a runner it runs right here.
    using Runner = std::function<bool(const std::function<bool()> &job)>;
    void setRunner(Runner runner) { m_runner = std::move(runner); }

private:
    struct Known
    {
        std::shared_ptr<const StoredPhoto::Origin> origin;
        QList<Customer> customers;
    };

    CustomerStore() = default;
    // Scans the file again unless it is the one last read or written; null
    // when it holds no orders to keep, `status` saying why.
    const Known *scanned(const QString &path, JsonFileStore::ReadStatus *status);

    // Photos read while a save runs may look themselves up from its thread.
    std::recursive_mutex m_mutex;
    QHash<QString, Known> m_files;
    Runner m_runner;
    bool m_saving = false;
};

#include "records/store/jsonrecordsbackend.h"

#include "records/store/customerstore.h"
#include "records/store/jsonfilestore.h"
#include "records/store/recordstore.h"
#include "records/store/storealerts.h"

#include <QDebug>
#include <QHash>
#include <QLockFile>

#include <algorithm>

using JsonFileStore::ReadStatus;

namespace {

// A save of a large store may take minutes; the lock is only taken from a
// holder that is gone, never for its age.
constexpr int LockWaitMs = 30000;

StoreResult resultOf(ReadStatus status, const QString &path)
{
    switch (status) {
    case ReadStatus::Ok:
    case ReadStatus::Missing:
    case ReadStatus::Damaged: // read as empty, kept aside on the next save
        return StoreResult::success();
    case ReadStatus::TooLarge:
        return StoreResult::failure(StoreResult::Status::Failed,
                                    StoreAlerts::message(path, StoreAlerts::Problem::TooLarge));
    case ReadStatus::Unavailable:
        break;
    }
    return StoreResult::failure(StoreResult::Status::Failed,
                                StoreAlerts::message(path, StoreAlerts::Problem::Unavailable));
}

StoreResult writeFailed(const QString &path)
{
    return StoreResult::failure(StoreResult::Status::Failed,
                                QStringLiteral("%1 could not be written").arg(path));
}

// Two stored orders are the same record when these agree; ids alone may
// collide in a hand-edited file.
bool sameOrder(const Customer &a, const Customer &b)
{
    return a.id == b.id && a.createdAt == b.createdAt && a.orderNumber == b.orderNumber &&
           a.name == b.name && a.phone == b.phone && a.photos.size() == b.photos.size();
}

// Changes of this process are serialised by the backend's mutex; the lock file
// keeps another copy of the program from reading a file this one is replacing.
class WriteLock
{
public:
    WriteLock(const QString &folder, int *depth)
        : m_file(folder + QStringLiteral("/records.lock")), m_depth(depth)
    {
        if ((*m_depth)++ > 0) {
            m_held = true; // a nested call of the same change
            return;
        }
        m_file.setStaleLockTime(0);
        m_held = m_file.tryLock(LockWaitMs);
        if (!m_held)
            qWarning() << "Records are locked by another program:" << m_file.fileName()
                       << m_file.error();
    }
    ~WriteLock() { --(*m_depth); }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

    // A folder where no lock file can be made (read-only) still has its
    // files read and refused by the store itself.
    bool held() const { return m_held || m_file.error() == QLockFile::PermissionError; }

private:
    QLockFile m_file;
    int *m_depth;
    bool m_held = false;
};

StoreResult busy()
{
    return StoreResult::failure(StoreResult::Status::Unreachable,
                                QStringLiteral("the records are being changed by another program"));
}

} // namespace

JsonRecordsBackend::JsonRecordsBackend(const QString &folder) : m_folder(folder) {}

QString JsonRecordsBackend::folder() const
{
    return m_folder.isEmpty() ? JsonFileStore::dataDirectory() : m_folder;
}

QString JsonRecordsBackend::customersPath() const
{
    return folder() + QStringLiteral("/customers.json");
}

QString JsonRecordsBackend::fittersPath() const
{
    return folder() + QStringLiteral("/fitters.json");
}

QString JsonRecordsBackend::reportConfigPath() const
{
    return folder() + QStringLiteral("/reportconfig.json");
}

qint64 JsonRecordsBackend::revisionOf(const Customer &order)
{
    size_t seed = qHashMulti(0, order.id, order.orderNumber, order.name, order.patientId,
                             order.gender, order.birthDate, order.phone, order.age);
    seed = qHashMulti(seed, order.address, order.email, order.fitterId, order.fitterName,
                      order.fitterWorkId, order.fitterClinic, order.notes, order.diagnosis);
    seed = qHashMulti(seed, order.createdAt, order.photos.size());
    for (const StoredPhoto &photo : order.photos)
        seed = qHash(photo.name(), seed);
    return qint64(seed);
}

QList<Customer> JsonRecordsBackend::loadOrders(StoreResult *result)
{
    const QString path = customersPath();
    ReadStatus status = ReadStatus::Ok;
    QList<Customer> orders = CustomerStore::instance().load(path, &status);
    for (Customer &order : orders)
        order.revision = revisionOf(order);
    *result = resultOf(status, path);
    return orders;
}

QList<Customer> JsonRecordsBackend::listOrders(StoreResult *result)
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    StoreResult read;
    QList<Customer> orders = loadOrders(&read);
    if (result != nullptr)
        *result = read;
    return orders;
}

StoreResult JsonRecordsBackend::readOrder(int id, Customer *order)
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    StoreResult read;
    const QList<Customer> orders = loadOrders(&read);
    if (!read.ok())
        return read;
    for (const Customer &stored : orders) {
        if (stored.id == id) {
            *order = stored;
            return read;
        }
    }
    return StoreResult::failure(StoreResult::Status::NotFound);
}

StoreResult JsonRecordsBackend::readPhoto(int orderId, int index, StoredPhoto *photo)
{
    Customer order;
    const StoreResult read = readOrder(orderId, &order);
    if (!read.ok())
        return read;
    if (index < 0 || index >= order.photos.size())
        return StoreResult::failure(StoreResult::Status::NotFound);
    *photo = order.photos.at(index);
    return read;
}

StoreResult
JsonRecordsBackend::changeOrders(const std::function<StoreResult(QList<Customer> &)> &change)
{
    return underLock([&] {
        StoreResult result;
        QList<Customer> orders = loadOrders(&result);
        if (result.ok())
            result = change(orders);
        if (result.ok() && !CustomerStore::instance().save(customersPath(), orders))
            result = writeFailed(customersPath());
        return result;
    });
}

StoreResult
JsonRecordsBackend::changeFitters(const std::function<StoreResult(QList<Fitter> &)> &change)
{
    return underLock([&] {
        StoreResult result;
        QList<Fitter> fitters = listFitters(&result);
        if (result.ok())
            result = change(fitters);
        if (result.ok() && !saveFittersTo(fittersPath(), fitters))
            result = writeFailed(fittersPath());
        return result;
    });
}

StoreResult JsonRecordsBackend::underLock(const std::function<StoreResult()> &work)
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const WriteLock fileLock(folder(), &m_lockDepth);
    return fileLock.held() ? work() : busy();
}

StoreResult JsonRecordsBackend::addOrder(Customer *order)
{
    const StoreResult result = changeOrders([order](QList<Customer> &orders) {
        order->id = nextCustomerId(orders);
        orders.append(*order);
        return StoreResult::success();
    });
    if (result.ok())
        order->revision = revisionOf(*order);
    return result;
}

StoreResult JsonRecordsBackend::updateOrder(Customer *order)
{
    const StoreResult result = changeOrders([order](QList<Customer> &orders) {
        const auto stored = std::find_if(orders.begin(), orders.end(),
                                         [order](const Customer &c) { return c.id == order->id; });
        if (stored == orders.end())
            return StoreResult::failure(StoreResult::Status::NotFound);
        if (stored->revision != order->revision)
            return StoreResult::failure(StoreResult::Status::Conflict);
        *stored = *order;
        return StoreResult::success();
    });
    if (result.ok())
        order->revision = revisionOf(*order);
    return result;
}

StoreResult JsonRecordsBackend::removeOrders(const QList<Customer> &targets)
{
    return changeOrders([&targets](QList<Customer> &stored) {
        QList<bool> removed(stored.size(), false);
        int found = 0;
        for (const Customer &target : targets) {
            for (qsizetype i = 0; i < stored.size(); ++i) {
                if (!removed.at(i) && sameOrder(stored.at(i), target)) {
                    removed[i] = true;
                    ++found;
                    break;
                }
            }
        }
        if (found == 0) // nothing of it is stored any more: nothing to write
            return StoreResult::failure(StoreResult::Status::NotFound);
        QList<Customer> kept;
        kept.reserve(stored.size() - found);
        for (qsizetype i = 0; i < stored.size(); ++i) {
            if (!removed.at(i))
                kept.append(stored.at(i));
        }
        stored = kept;
        return StoreResult::success();
    });
}

QList<Fitter> JsonRecordsBackend::listFitters(StoreResult *result)
{
    const std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ReadStatus status = ReadStatus::Ok;
    QList<Fitter> fitters = loadFittersFrom(fittersPath(), &status);
    if (result != nullptr)
        *result = resultOf(status, fittersPath());
    return fitters;
}

StoreResult JsonRecordsBackend::addFitter(Fitter *fitter)
{
    return changeFitters([fitter](QList<Fitter> &fitters) {
        fitter->id = nextFitterId(fitters);
        fitters.append(*fitter);
        return StoreResult::success();
    });
}

StoreResult JsonRecordsBackend::updateFitter(const Fitter &stored, const Fitter &changed)
{
    return changeFitters([&](QList<Fitter> &fitters) {
        const auto same = std::find(fitters.begin(), fitters.end(), stored);
        if (same == fitters.end()) {
            const bool idKept = std::any_of(fitters.cbegin(), fitters.cend(),
                                            [&](const Fitter &f) { return f.id == stored.id; });
            return StoreResult::failure(idKept ? StoreResult::Status::Conflict
                                               : StoreResult::Status::NotFound);
        }
        *same = changed;
        same->id = stored.id;
        return StoreResult::success();
    });
}

StoreResult JsonRecordsBackend::removeFitters(const QList<Fitter> &targets)
{
    return changeFitters([&targets](QList<Fitter> &fitters) {
        int found = 0;
        for (const Fitter &target : targets) {
            const auto same = std::find(fitters.begin(), fitters.end(), target);
            if (same != fitters.end()) {
                fitters.erase(same);
                ++found;
            }
        }
        return found > 0 ? StoreResult::success()
                         : StoreResult::failure(StoreResult::Status::NotFound);
    });
}

ReportConfig JsonRecordsBackend::readReportConfig(StoreResult *result)
{
    ReadStatus status = ReadStatus::Ok;
    const ReportConfig config = loadReportConfigFrom(reportConfigPath(), &status);
    if (result != nullptr)
        *result = resultOf(status, reportConfigPath());
    return config;
}

StoreResult JsonRecordsBackend::writeReportConfig(const ReportConfig &config)
{
    return saveReportConfigTo(reportConfigPath(), config) ? StoreResult::success()
                                                          : writeFailed(reportConfigPath());
}

#include "records/store/recordstore.h"

#include "records/store/customerstore.h"
#include "records/store/jsonfilestore.h"

#include <QJsonArray>
#include <QSet>

#include <algorithm>
#include <limits>

namespace {

const QString FittersKey = QStringLiteral("fitters");

template <typename Record>
QList<Record> loadRecords(const QString &path, const QString &key,
                          JsonFileStore::ReadStatus *status = nullptr)
{
    const JsonFileStore::ReadResult read = JsonFileStore::readObject(path, key);
    if (status != nullptr)
        *status = read.status;
    const QJsonArray array = read.object.value(key).toArray();
    QList<Record> records;
    records.reserve(array.size());
    for (const QJsonValue &element : array)
        records.append(Record::fromJson(element.toObject()));
    return records;
}

template <typename Record>
bool saveRecords(const QString &path, const QString &key, const QList<Record> &records)
{
    QJsonArray array;
    for (const Record &record : records)
        array.append(record.toJson());
    QJsonObject root;
    root.insert(key, array);
    return JsonFileStore::writeObject(path, root, key);
}

template <typename Record> int nextId(const QList<Record> &records)
{
    int largest = 0;
    for (const Record &record : records)
        largest = std::max(largest, record.id);
    if (largest < std::numeric_limits<int>::max())
        return largest + 1;
    // A hand-edited file holding INT_MAX leaves no "largest + 1"; wrapping to a
    // negative id or reusing INT_MAX would collide, so take the first free one.
    QSet<int> used;
    for (const Record &record : records)
        used.insert(record.id);
    int id = 1;
    while (used.contains(id))
        ++id;
    return id;
}

} // namespace

QString customersFilePath()
{
    return JsonFileStore::dataDirectory() + QStringLiteral("/customers.json");
}

QString fittersFilePath()
{
    return JsonFileStore::dataDirectory() + QStringLiteral("/fitters.json");
}

QList<Customer> loadCustomers()
{
    return CustomerStore::instance().load(customersFilePath());
}

bool saveCustomers(const QList<Customer> &customers)
{
    return CustomerStore::instance().save(customersFilePath(), customers);
}

bool appendCustomer(const Customer &customer)
{
    QList<Customer> customers = loadCustomers();
    customers.append(customer);
    return saveCustomers(customers);
}

NotesUpdate updateCustomerNotes(int customerId, const QString &notes)
{
    QList<Customer> customers = loadCustomers();
    for (Customer &customer : customers) {
        if (customer.id != customerId)
            continue;
        if (customer.notes == notes)
            return NotesUpdate::Unchanged;
        customer.notes = notes;
        return saveCustomers(customers) ? NotesUpdate::Saved : NotesUpdate::Failed;
    }
    return NotesUpdate::Missing;
}

QList<Fitter> loadFitters()
{
    return loadRecords<Fitter>(fittersFilePath(), FittersKey);
}

bool saveFitters(const QList<Fitter> &fitters)
{
    return saveRecords(fittersFilePath(), FittersKey, fitters);
}

QList<Fitter> loadFittersFrom(const QString &path, JsonFileStore::ReadStatus *status)
{
    return loadRecords<Fitter>(path, FittersKey, status);
}

bool saveFittersTo(const QString &path, const QList<Fitter> &fitters)
{
    return saveRecords(path, FittersKey, fitters);
}

int nextCustomerId(const QList<Customer> &customers)
{
    return nextId(customers);
}

int nextFitterId(const QList<Fitter> &fitters)
{
    return nextId(fitters);
}

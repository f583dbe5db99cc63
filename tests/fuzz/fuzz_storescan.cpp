// The store scan against Qt's whole-document reader: both agree whether a
// customers.json is readable, and where it is they give the same orders,
// fields and photo texts. Saving what was scanned and reading it back gives
// the same orders, written as Qt's writer writes them.
#include "records/store/customerstore.h"
#include "records/store/filebytesource.h"
#include "records/store/storescanner.h"

#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

using FuzzSupport::check;

QJsonArray ordersJson(const QList<Customer> &customers)
{
    QJsonArray array;
    for (const Customer &c : customers)
        array.append(c.toJson());
    return array;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "cannot read the saved store");
    return file.readAll();
}

QByteArray compact(const QJsonArray &array)
{
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::setUp();
    const QByteArray content = FuzzSupport::bytesOf(data, size);
    const QString folder = FuzzSupport::scratchDirectory() + QStringLiteral("/store");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/customers.json");
    FuzzSupport::writeScratchFile(path, content);

    FileByteSource file(path);
    auto origin = std::make_shared<StoredPhoto::Origin>(StoredPhoto::Origin{path, file.identity()});
    const StoreScanner::Result scan = StoreScanner::scan(file, origin);

    const QJsonDocument qt = QJsonDocument::fromJson(content);
    const QJsonValue array = qt.object().value(QStringLiteral("customers"));
    const bool readable = qt.isObject() && (array.isArray() || array.isUndefined());
    if (!readable) {
        check(scan.status == StoreScanner::Status::Damaged ||
                  scan.status == StoreScanner::Status::Empty,
              "Qt refuses the file, the scan reads it");
        check(scan.customers.isEmpty(), "orders from a refused file");
        return 0;
    }
    check(scan.status == StoreScanner::Status::Ok, "Qt reads the file, the scan refuses it");

    QList<Customer> expected;
    for (const QJsonValue &element : array.toArray())
        expected.append(Customer::fromJson(element.toObject()));
    const QJsonArray expectedJson = ordersJson(expected);
    const QJsonArray scannedJson = ordersJson(scan.customers);
    check(scannedJson == expectedJson, "the scan gives other orders",
          compact(scannedJson) + "\n" + compact(expectedJson));
    for (const Customer &c : scan.customers) {
        for (const StoredPhoto &photo : c.photos) {
            const QString entry = photo.entry();
            const QString name = entry.contains(QLatin1Char('|'))
                                     ? entry.section(QLatin1Char('|'), 0, 0)
                                     : QString();
            check(photo.name() == name, "photo name differs from its entry", entry.toUtf8());
        }
    }

    // Saved through the store and read back.
    CustomerStore &store = CustomerStore::instance();
    store.forget();
    const QList<Customer> loaded = store.load(path);
    check(store.save(path, loaded), "saving a readable store failed");
    const QByteArray written =
        QJsonDocument(QJsonObject{{QStringLiteral("customers"), expectedJson}})
            .toJson(QJsonDocument::Indented);
    check(readAll(path) == written, "the saved store differs from Qt's writing");
    check(ordersJson(store.load(path)) == expectedJson, "orders kept after the save differ");
    store.forget();
    check(ordersJson(store.load(path)) == expectedJson, "orders read back differ");

    // A damaged file before this one is kept aside when it is replaced.
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files))
        if (name != QLatin1String("customers.json"))
            QFile::remove(dir.filePath(name));
    store.forget();
    return 0;
}

#include "backendcontract.h"

#include <QBuffer>
#include <QImage>
#include <QSet>
#include <QtTest>

#include <thread>

namespace {

QByteArray jpegBytes(int seed)
{
    QImage image(48, 32, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((seed * 31 + x * y) & 255, (x * 7 ^ y * 13) & 255, seed));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

Customer newOrder(const QString &name, int photos = 0)
{
    Customer order;
    order.id = 999; // never kept: the store assigns ids
    order.orderNumber = QStringLiteral("NO-") + name;
    order.name = name;
    order.gender = QStringLiteral("女");
    order.age = 61;
    order.fitterId = 3;
    order.fitterName = QStringLiteral("Ärztin 李");
    order.notes = QStringLiteral("line one\nline \"two\"");
    order.createdAt = QStringLiteral("2026-03-03T09:05:07");
    for (int k = 0; k < photos; ++k)
        order.photos.append(QStringLiteral("%1_%2|").arg(name).arg(k) +
                            QString::fromLatin1(jpegBytes(k + name.size()).toBase64()));
    return order;
}

QList<int> idsOf(const QList<Customer> &orders)
{
    QList<int> ids;
    for (const Customer &order : orders)
        ids.append(order.id);
    return ids;
}

} // namespace

void BackendContract::init()
{
    m_factory.reset();
    m_backend = m_factory.open();
}

void BackendContract::addAssignsIdsInOrder()
{
    StoreResult listed;
    QVERIFY(m_backend->listOrders(&listed).isEmpty());
    QVERIFY(listed.ok());
    QList<int> ids;
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        Customer order = newOrder(name);
        QVERIFY(m_backend->addOrder(&order).ok());
        ids.append(order.id);
    }
    QCOMPARE(ids.first(), 1);
    QVERIFY(ids.at(0) < ids.at(1) && ids.at(1) < ids.at(2));
    const QList<Customer> orders = m_factory.open()->listOrders();
    QCOMPARE(idsOf(orders), ids);
    QCOMPARE(orders.at(1).name, QStringLiteral("b"));
    QCOMPARE(orders.at(1).notes, newOrder(QStringLiteral("b")).notes);
    QCOMPARE(orders.at(1).fitterName, newOrder(QStringLiteral("b")).fitterName);
}

void BackendContract::readsOrderAndPhotoBytes()
{
    Customer order = newOrder(QStringLiteral("photos"), 3);
    QVERIFY(m_backend->addOrder(&order).ok());
    Customer plain = newOrder(QStringLiteral("plain"));
    QVERIFY(m_backend->addOrder(&plain).ok());

    const auto other = m_factory.open();
    QCOMPARE(other->listOrders().first().photos.size(), 3);
    Customer read;
    QVERIFY(other->readOrder(order.id, &read).ok());
    QCOMPARE(read.age, 61);
    QCOMPARE(read.photos.size(), 3);
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(read.photos.at(k).name(), QStringLiteral("photos_%1").arg(k));
        QCOMPARE(read.photos.at(k).imageData(), jpegBytes(k + 6));
    }
    StoredPhoto photo;
    QVERIFY(other->readPhoto(order.id, 2, &photo).ok());
    QCOMPARE(photo.imageData(), jpegBytes(8));
    QCOMPARE(photo.image().size(), QSize(48, 32));

    QCOMPARE(other->readPhoto(order.id, 3, &photo).status, StoreResult::Status::NotFound);
    QCOMPARE(other->readOrder(plain.id + 1, &read).status, StoreResult::Status::NotFound);
}

void BackendContract::updatesWithRevisionCheck()
{
    Customer order = newOrder(QStringLiteral("edit"), 2);
    QVERIFY(m_backend->addOrder(&order).ok());
    Customer mine;
    QVERIFY(m_backend->readOrder(order.id, &mine).ok());
    Customer theirs;
    const auto elsewhere = m_factory.open();
    QVERIFY(elsewhere->readOrder(order.id, &theirs).ok());
    QCOMPARE(theirs.revision, mine.revision);

    theirs.notes = QStringLiteral("changed elsewhere");
    QVERIFY(elsewhere->updateOrder(&theirs).ok());
    const qint64 stale = mine.revision;
    QVERIFY(theirs.revision != stale);

    mine.name = QStringLiteral("would overwrite");
    QCOMPARE(m_backend->updateOrder(&mine).status, StoreResult::Status::Conflict);
    QCOMPARE(mine.revision, stale);
    Customer now;
    QVERIFY(m_backend->readOrder(order.id, &now).ok());
    QCOMPARE(now.notes, QStringLiteral("changed elsewhere"));
    QCOMPARE(now.name, QStringLiteral("edit"));
    QCOMPARE(now.photos.size(), 2);
    QCOMPARE(now.photos.at(1).imageData(), jpegBytes(5));

    // Working from the current state succeeds, photos added on the way.
    now.photos.append(QStringLiteral("late|") + QString::fromLatin1(jpegBytes(40).toBase64()));
    QVERIFY(m_backend->updateOrder(&now).ok());
    Customer after;
    QVERIFY(elsewhere->readOrder(order.id, &after).ok());
    QCOMPARE(after.revision, now.revision);
    QCOMPARE(after.photos.size(), 3);
    QCOMPARE(after.photos.at(2).imageData(), jpegBytes(40));
    QCOMPARE(after.photos.at(0).imageData(), jpegBytes(4));
    QCOMPARE(idsOf(m_backend->listOrders()), QList<int>{order.id});

    QVERIFY(m_backend->removeOrders({after}).ok());
    QCOMPARE(m_backend->updateOrder(&after).status, StoreResult::Status::NotFound);
}

void BackendContract::removesChosenOrders()
{
    QList<Customer> added;
    for (int i = 0; i < 4; ++i) {
        Customer order = newOrder(QString::number(i), 1);
        QVERIFY(m_backend->addOrder(&order).ok());
        added.append(order);
    }
    const QList<Customer> listed = m_backend->listOrders();
    QVERIFY(m_backend->removeOrders({listed.at(1), listed.at(3)}).ok());
    const QList<Customer> kept = m_factory.open()->listOrders();
    QCOMPARE(idsOf(kept), (QList<int>{added.at(0).id, added.at(2).id}));
    Customer read;
    QVERIFY(m_backend->readOrder(added.at(2).id, &read).ok());
    QCOMPARE(read.photos.first().imageData(), jpegBytes(1));
    QCOMPARE(m_backend->removeOrders({listed.at(1)}).status, StoreResult::Status::NotFound);

    // A new order never takes the id of an order still stored.
    Customer next = newOrder(QStringLiteral("next"));
    QVERIFY(m_backend->addOrder(&next).ok());
    QVERIFY(!idsOf(kept).contains(next.id));
}

void BackendContract::keepsFitters()
{
    QVERIFY(m_backend->listFitters().isEmpty());
    QList<Fitter> added;
    for (const QString &name : {QStringLiteral("Wang"), QStringLiteral("Müller")}) {
        Fitter fitter;
        fitter.id = 77;
        fitter.name = name;
        fitter.workId = name.toUpper();
        fitter.workYears = 4;
        fitter.isDefault = name == QStringLiteral("Müller");
        QVERIFY(m_backend->addFitter(&fitter).ok());
        added.append(fitter);
    }
    QCOMPARE(added.at(0).id, 1);
    QVERIFY(added.at(1).id > added.at(0).id);
    const auto elsewhere = m_factory.open();
    QCOMPARE(elsewhere->listFitters(), added);

    Fitter changed = added.at(0);
    changed.clinicName = QStringLiteral("Nord");
    QVERIFY(elsewhere->updateFitter(added.at(0), changed).ok());
    Fitter mine = added.at(0);
    mine.phone = QStringLiteral("123");
    QCOMPARE(m_backend->updateFitter(added.at(0), mine).status, StoreResult::Status::Conflict);
    QCOMPARE(m_backend->listFitters(), (QList<Fitter>{changed, added.at(1)}));

    QVERIFY(m_backend->removeFitters({changed}).ok());
    QCOMPARE(m_backend->listFitters(), QList<Fitter>{added.at(1)});
    QCOMPARE(m_backend->removeFitters({changed}).status, StoreResult::Status::NotFound);
    QCOMPARE(m_backend->updateFitter(changed, mine).status, StoreResult::Status::NotFound);
}

void BackendContract::keepsReportConfig()
{
    StoreResult read;
    const ReportConfig empty = m_backend->readReportConfig(&read);
    QVERIFY(read.ok());
    QVERIFY(empty.companyName.isEmpty() && empty.reportTitle.isEmpty() &&
            empty.defaultNotes.isEmpty());
    ReportConfig config;
    config.companyName = QStringLiteral("Hörakustik Nord");
    config.reportTitle = QStringLiteral("耳道检查报告");
    config.defaultNotes = QStringLiteral("two\nlines");
    QVERIFY(m_backend->writeReportConfig(config).ok());
    const ReportConfig back = m_factory.open()->readReportConfig();
    QCOMPARE(back.companyName, config.companyName);
    QCOMPARE(back.reportTitle, config.reportTitle);
    QCOMPARE(back.defaultNotes, config.defaultNotes);
}

void BackendContract::concurrentAddsGetDistinctIds()
{
    if (!m_backend->supportsConcurrentWriters())
        QSKIP("this store has a single writer");
    constexpr int Each = 15;
    QList<int> ids[2];
    bool allOk[2] = {true, true};
    const auto writer = [&](int w) {
        const auto backend = m_factory.open();
        for (int i = 0; i < Each; ++i) {
            Customer order = newOrder(QStringLiteral("w%1-%2").arg(w).arg(i));
            allOk[w] = backend->addOrder(&order).ok() && allOk[w];
            ids[w].append(order.id);
        }
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    QVERIFY(allOk[0] && allOk[1]);
    const QList<Customer> stored = m_backend->listOrders();
    QCOMPARE(stored.size(), 2 * Each);
    const QList<int> storedIds = idsOf(stored);
    QCOMPARE(QSet<int>(storedIds.cbegin(), storedIds.cend()).size(), 2 * Each);
    for (int w = 0; w < 2; ++w) {
        for (int id : std::as_const(ids[w]))
            QVERIFY(storedIds.contains(id));
    }
}

// Orders on a clinic server (a throw-away PostgreSQL server on this machine,
// scripts/pg-test-server) with the year-sized content of bench_customerstore:
// 2,500 orders with 4 camera-like photos each. Figures, each against its goal:
// copying the year from this computer's file to the server against reading
// the file (every order with its photo bytes), the order list, the detail of
// an order with 4 photos, saving an inspection with 4 photos, and two
// processes adding 100 orders each at the same time.
#include "benchdata.h"
#include "records/server/recordsmigration.h"
#include "records/server/serverrecordsbackend.h"
#include "records/store/recordstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

ServerSettings serverIn(const QString &dir)
{
    ServerSettings settings;
    settings.sslMode = QStringLiteral("disable");
    settings.database = QStringLiteral("postgres");
    QFile file(dir + QStringLiteral("/connection"));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> kv = line.split('=');
            if (kv.size() != 2)
                continue;
            if (kv[0] == "host")
                settings.host = QString::fromUtf8(kv[1]);
            else if (kv[0] == "port")
                settings.port = kv[1].toInt();
            else if (kv[0] == "user")
                settings.user = QString::fromUtf8(kv[1]);
        }
    }
    return settings;
}

QStringList cameraPhotos()
{
    QStringList photos;
    for (int i = 0; i < 4; ++i)
        photos.append(BenchData::cameraEntry(100 + i, QStringLiteral("20261207_1000%1_L").arg(i)));
    return photos;
}

// One workstation adding `count` orders with 4 photos each.
int addOrders(const QString &serverDir, int count)
{
    ServerRecordsBackend server(serverIn(serverDir));
    const QStringList photos = cameraPhotos();
    for (int i = 0; i < count; ++i) {
        Customer c = BenchData::orderFor(1, photos);
        c.name = QStringLiteral("Workstation %1 order %2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(i);
        const auto result = server.addOrder(&c);
        if (!result.ok()) {
            std::fprintf(stderr, "add failed: %s\n", qPrintable(result.message));
            return 1;
        }
    }
    return 0;
}

int run()
{
    const QString dataDir =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data");
    const QString year = BenchData::cachedStore(QStringLiteral("customers-year.json"), 2500);
    if (year.isEmpty())
        return 1;
    // The year file as this computer's store, without copying 2 GB.
    QFile::remove(customersFilePath());
    if (!QFile::link(QFileInfo(year).absoluteFilePath(), customersFilePath()))
        return 1;

    const QString serverDir = dataDir + QStringLiteral("/postgres");
    const QString script = QStringLiteral(LUMAURAL_PG_SERVER_SCRIPT);
    if (QProcess::execute(script, {QStringLiteral("start"), serverDir}) != 0) {
        std::printf("could not start the server\n");
        return 1;
    }
    ServerRecordsBackend server(serverIn(serverDir));
    if (server.probe() != ServerConnection::State::Connected) {
        std::printf("server: %s\n", qPrintable(server.connection().detail()));
        return 1;
    }

    // Reading the file: every order with the bytes of every photo.
    QElapsedTimer timer;
    timer.start();
    QList<Customer> orders = loadCustomers();
    qint64 photoBytes = 0;
    for (const Customer &c : orders) {
        for (const StoredPhoto &p : c.photos)
            photoBytes += p.imageData().size();
    }
    const double readMs = msSince(timer);
    std::printf("year store: %lld orders, %.1f MB of photos\n", qlonglong(orders.size()),
                double(photoBytes) / 1e6);

    timer.restart();
    const auto outcome =
        RecordsMigration::copyToServer(server, orders, loadFitters(), ReportConfig());
    const double migrateMs = msSince(timer);
    if (!outcome.ok) {
        std::printf("migration failed: %s\n", qPrintable(outcome.error));
        return 1;
    }
    orders.clear();

    QList<double> list;
    QList<Customer> summaries;
    for (int i = 0; i < 5; ++i) {
        timer.restart();
        summaries = server.listOrders();
        list.append(msSince(timer));
    }
    QList<double> detail;
    for (int i = 0; i < 10; ++i) {
        timer.restart();
        Customer c;
        server.readOrder(1 + i * 97, &c);
        for (const StoredPhoto &p : c.photos)
            p.thumbnail(QSize(240, 180));
        detail.append(msSince(timer));
    }
    const QStringList photos = cameraPhotos();
    QList<double> save;
    for (int i = 0; i < 10; ++i) {
        Customer c = BenchData::orderFor(1, photos);
        timer.restart();
        const bool ok = server.addOrder(&c).ok();
        save.append(ok ? msSince(timer) : 1e9);
    }

    int before = 0;
    int fitters = 0;
    server.countRecords(&before, &fitters);
    timer.restart();
    QProcess a;
    QProcess b;
    for (QProcess *p : {&a, &b}) {
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("add"), serverDir});
    }
    const bool finished = a.waitForFinished(600000) && b.waitForFinished(600000);
    const double concurrentMs = msSince(timer);
    int after = 0;
    server.countRecords(&after, &fitters);
    const bool clean = finished && a.exitCode() == 0 && b.exitCode() == 0;

    std::printf("  migration           %8.1f ms = %.2fx reading the file (%.1f ms)   goal <= 3x\n",
                migrateMs, migrateMs / readMs, readMs);
    std::printf("  order list, %lld orders %6.1f ms (median of 5)   goal <= 300 ms\n",
                qlonglong(summaries.size()), median(list));
    std::printf("  detail, 4 photos    %8.1f ms (median of 10)   goal < 100 ms\n", median(detail));
    std::printf("  save with 4 photos  %8.1f ms (median of 10)   goal < 100 ms\n", median(save));
    std::printf("  two processes adding 100 orders each: %d orders added, %s, %.0f ms"
                "   goal 200, no error\n",
                after - before, clean ? "no error" : "ERRORS", concurrentMs);
    QProcess::execute(script, {QStringLiteral("stop"), serverDir});
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("add"))
        return addOrders(args[2], 100);
    return run();
}

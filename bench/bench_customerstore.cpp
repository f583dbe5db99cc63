// The order store at two sizes, each against a baseline measured in the same run:
// - 200 orders with 4 grainy 1280x720 photos each (the first benchmark of the store);
// - a year of a busy clinic: 2,500 orders with 4 camera-like 1280x720 photos each
//   (JPEG quality 95, smooth like an ear picture), generated once and kept in the
//   build folder (bench-data/). Figures: first load against reading the file's bytes
//   once, memory after loading against an empty store, loading again and refreshing
//   the order list with the file unchanged, opening the detail page of an order with
//   4 photos, appending / editing / deleting one order against copying the file with
//   fsync (a save syncs too), and the peak memory of a save. The same figures for the
//   whole-document reader and writer the store used before ("before") are measured on
//   the same file.
// `bench_customerstore huge` instead loads and saves a store over 2 GiB (kept in
// bench-data/ as well; about 2.3 GB). `bench_customerstore shot FILE` saves a
// picture of the main window showing the order list of the year-sized store.
// `bench_customerstore year PHASE...` runs only the named phases on the year-sized
// store and prints their raw figures.
// Each phase runs in a child process of its own so that its memory is its own.
#include "app/startup.h"
#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/store/customerstore.h"
#include "records/store/jsonfilestore.h"
#include "records/store/recordstore.h"
#include "ui/mainwindow/mainwindow.h"

#include <QStackedWidget>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

long statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

long peakKiB()
{
    return statusKiB("VmHWM:");
}

long residentKiB()
{
    return statusKiB("VmRSS:");
}

void result(const char *name, double value)
{
    std::printf("RESULT %s %.3f\n", name, value);
    std::fflush(stdout);
}

double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QString entryOf(const QImage &image, const QString &name)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return name + QLatin1Char('|') + QString::fromLatin1(bytes.toBase64());
}

// An ear-like picture with grain, so the JPEG is as large as a real photo.
QString grainyEntry(int seed)
{
    QImage image(1280, 720, QImage::Format_RGB32);
    QPainter painter(&image);
    QRadialGradient gradient(QPointF(600 + seed % 80, 360), 520);
    gradient.setColorAt(0, QColor(250, 200, 170));
    gradient.setColorAt(0.5, QColor(200, 90, 70));
    gradient.setColorAt(1, QColor(30, 10, 10));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255),
                           qBound(0, qBlue(p) + n, 255));
        }
    }
    return entryOf(image,
                   QStringLiteral("20250304_0900%1_L").arg(seed % 100, 2, 10, QLatin1Char('0')));
}

// What an otoscope shows: a dark round field, a lit canal with soft folds and a
// bright reflex, a little sensor noise, nothing sharp.
QString cameraEntry(int seed, const QString &name)
{
    QImage image(1280, 720, QImage::Format_RGB32);
    image.fill(QColor(8, 4, 4));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(quint32(seed) + 1);
    const QPointF centre(640 + random.bounded(80) - 40, 360 + random.bounded(60) - 30);
    QRadialGradient canal(centre, 340);
    canal.setColorAt(0, QColor(236, 170, 140));
    canal.setColorAt(0.45, QColor(205, 110, 90));
    canal.setColorAt(0.85, QColor(120, 40, 35));
    canal.setColorAt(1, QColor(8, 4, 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(canal);
    painter.drawEllipse(centre, 340, 340);
    for (int fold = 0; fold < 6; ++fold) {
        const QPointF at = centre + QPointF(random.bounded(360) - 180, random.bounded(300) - 150);
        QRadialGradient soft(at, 60 + random.bounded(80));
        soft.setColorAt(0, QColor(250, 205, 180, 150));
        soft.setColorAt(1, QColor(200, 100, 80, 0));
        painter.setBrush(soft);
        painter.drawEllipse(at, 140, 140);
    }
    QRadialGradient reflex(centre + QPointF(-60, -40), 40);
    reflex.setColorAt(0, QColor(255, 255, 245, 230));
    reflex.setColorAt(1, QColor(255, 240, 220, 0));
    painter.setBrush(reflex);
    painter.drawEllipse(centre + QPointF(-60, -40), 40, 40);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(5)) - 2;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255),
                           qBound(0, qBlue(p) + n, 255));
        }
    }
    return entryOf(image, name);
}

Customer orderFor(int id, const QStringList &photos)
{
    Customer c;
    c.id = id;
    c.orderNumber = QStringLiteral("A-%1").arg(id, 5, 10, QLatin1Char('0'));
    c.name = QStringLiteral("Customer %1").arg(id);
    c.phone = QStringLiteral("1380000%1").arg(id, 5, 10, QLatin1Char('0'));
    c.fitterName = QStringLiteral("Inspector");
    // Ten a day, the last ones today: the order list shows them without a search.
    c.createdAt = QDate::currentDate().addDays(-(2500 - id) / 10).toString(Qt::ISODate) +
                  QStringLiteral("T09:00:00");
    for (int k = 0; k < 4; ++k)
        c.photos.append(photos.at((id * 4 + k) % photos.size()));
    return c;
}

// The store file kept in the build folder, made on first use.
QString cachedStore(const QString &name, int orders)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0)
        return path;
    std::printf("generating %s (%d orders, once)...\n", qPrintable(path), orders);
    std::fflush(stdout);
    QStringList photos;
    for (int i = 0; i < 12; ++i)
        photos.append(cameraEntry(i, QStringLiteral("20250304_0900%1_%2")
                                         .arg(i, 2, 10, QLatin1Char('0'))
                                         .arg(i % 2 ? QLatin1Char('R') : QLatin1Char('L'))));
    QList<Customer> list;
    for (int id = 1; id <= orders; ++id)
        list.append(orderFor(id, photos));
    // Written by the store itself, through a data folder of the bench's own.
    const QString target = customersFilePath();
    QFile::remove(target);
    if (!saveCustomers(list) || !QFile::rename(target, path)) {
        std::printf("could not write %s\n", qPrintable(path));
        return {};
    }
    CustomerStore::instance().forget();
    return path;
}

// Lets the disk finish what the last step left: the writing back of what it
// wrote and the freeing (with discards here) of the file it replaced, which
// would otherwise slow down whichever step comes next.
void settle()
{
    ::sync();
    QThread::sleep(3);
}

bool syncFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
}

// What loading did before: the whole document through Qt's reader.
QList<Customer> wholeDocumentLoad()
{
    QFile file(customersFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray array = QJsonDocument::fromJson(file.readAll())
                                 .object()
                                 .value(QStringLiteral("customers"))
                                 .toArray();
    QList<Customer> list;
    for (const QJsonValue &v : array)
        list.append(Customer::fromJson(v.toObject()));
    return list;
}

// What saving did before: the whole document built and written at once.
bool wholeDocumentSave(const QList<Customer> &list)
{
    QJsonArray array;
    for (const Customer &c : list)
        array.append(c.toJson());
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("customers"), array}})
                                 .toJson(QJsonDocument::Indented);
    QSaveFile file(customersFilePath());
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
           JsonFileStore::commitSaveFile(file, bytes.size());
}

int runPhase(const QString &phase)
{
    QElapsedTimer timer;
    timer.start();
    if (phase == QLatin1String("raw")) {
        QFile file(customersFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const qint64 size = file.readAll().size();
        result("raw_ms", msSince(timer));
        result("raw_mb", size / 1e6);
        // The least reading the bytes can cost: chunks into one reused buffer.
        QFile again(customersFilePath());
        if (!again.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return 1;
        QByteArray chunk(4 << 20, Qt::Uninitialized);
        timer.restart();
        while (again.read(chunk.data(), chunk.size()) > 0) {
        }
        result("raw_chunks_ms", msSince(timer));
    } else if (phase == QLatin1String("compare")) {
        // Reading the bytes and scanning them, taken in turns so that both see
        // the same machine; the medians of five.
        QList<double> reads;
        QList<double> scans;
        for (int round = 0; round < 5; ++round) {
            QFile file(customersFilePath());
            if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                return 1;
            QByteArray chunk(4 << 20, Qt::Uninitialized);
            timer.restart();
            while (file.read(chunk.data(), chunk.size()) > 0) {
            }
            reads.append(msSince(timer));
            CustomerStore::instance().forget();
            timer.restart();
            loadCustomers();
            scans.append(msSince(timer));
        }
        std::sort(reads.begin(), reads.end());
        std::sort(scans.begin(), scans.end());
        result("read_median_ms", reads.at(2));
        result("scan_median_ms", scans.at(2));
    } else if (phase == QLatin1String("empty")) {
        // What an empty store costs: the pages alone.
        OrderPage page;
        page.resize(1100, 720);
        result("empty_rss_mb", residentKiB() / 1024.0);
    } else if (phase == QLatin1String("load")) {
        const QList<Customer> list = loadCustomers();
        result("load_ms", msSince(timer));
        result("orders", list.size());
        timer.restart();
        const int again = int(loadCustomers().size());
        result("load_again_ms", msSince(timer));
        OrderPage page;
        page.resize(1100, 720);
        result("load_rss_mb", residentKiB() / 1024.0);
        timer.restart();
        page.reloadOrders(); // what showing the order list does
        result("list_again_ms", msSince(timer));
        OrderDetailPage detail;
        detail.resize(1100, 720);
        detail.show();
        QCoreApplication::processEvents();
        timer.restart();
        detail.showOrder(list.at(again / 2));
        QCoreApplication::processEvents();
        result("detail_ms", msSince(timer));
    } else if (phase == QLatin1String("append") || phase == QLatin1String("edit") ||
               phase == QLatin1String("delete")) {
        QList<Customer> list = loadCustomers();
        const long loadedPeak = peakKiB();
        if (phase == QLatin1String("append")) {
            Customer c = orderFor(nextCustomerId(list), {grainyEntry(99), grainyEntry(98)});
            timer.restart();
            list.append(c);
        } else if (phase == QLatin1String("edit")) {
            timer.restart();
            list[list.size() / 2].notes = QStringLiteral("edited");
        } else {
            timer.restart();
            list.removeLast();
        }
        if (!saveCustomers(list))
            return 1;
        result(qPrintable(phase + QStringLiteral("_ms")), msSince(timer));
        result(qPrintable(phase + QStringLiteral("_peak_mb")), peakKiB() / 1024.0);
        result(qPrintable(phase + QStringLiteral("_loaded_peak_mb")), loadedPeak / 1024.0);
    } else if (phase == QLatin1String("saves")) {
        // Copying the file with fsync and the three saves, in turns, six
        // rounds, each step on a settled disk: the disk is shared and its
        // syncs vary; the medians count.
        QList<Customer> list = loadCustomers();
        const long loadedPeak = peakKiB();
        const QString copy = customersFilePath() + QStringLiteral(".copy");
        QMap<QString, QList<double>> times;
        const Customer added =
            orderFor(nextCustomerId(list), {grainyEntry(99), grainyEntry(98), grainyEntry(97)});
        for (int round = 0; round < 6; ++round) {
            QFile::remove(copy);
            settle();
            timer.restart();
            if (!QFile::copy(customersFilePath(), copy) || !syncFile(copy))
                return 1;
            times[QStringLiteral("copy")].append(msSince(timer));
            // The same, then put in the store's place: what any durable
            // replacement of the file costs, freeing the old one included.
            QFile::remove(copy);
            settle();
            timer.restart();
            if (!QFile::copy(customersFilePath(), copy) || !syncFile(copy) ||
                std::rename(QFile::encodeName(copy).constData(),
                            QFile::encodeName(customersFilePath()).constData()) != 0)
                return 1;
            times[QStringLiteral("replace")].append(msSince(timer));
            // Each kind of save takes each place in the round equally often:
            // on this disk the second large write in a row is often slower.
            const QStringList kinds{QStringLiteral("append"), QStringLiteral("edit"),
                                    QStringLiteral("delete")};
            for (int k = 0; k < kinds.size(); ++k) {
                const QString &change = kinds.at((k + round) % kinds.size());
                settle();
                timer.restart();
                list = loadCustomers();
                if (change == QLatin1String("append"))
                    list.append(added);
                else if (change == QLatin1String("edit"))
                    list[list.size() / 2].notes = QStringLiteral("edited %1").arg(round);
                else
                    list.removeLast();
                if (!saveCustomers(list))
                    return 1;
                times[change].append(msSince(timer));
            }
        }
        for (auto it = times.begin(); it != times.end(); ++it) {
            std::sort(it->begin(), it->end());
            result(qPrintable(it.key() + QStringLiteral("_ms")), it->at(it->size() / 2));
        }
        result("saves_peak_mb", peakKiB() / 1024.0);
        result("saves_loaded_peak_mb", loadedPeak / 1024.0);
    } else if (phase == QLatin1String("before_load")) {
        const QList<Customer> list = wholeDocumentLoad();
        result("before_load_ms", msSince(timer));
        result("before_load_orders", list.size());
        result("before_load_peak_mb", peakKiB() / 1024.0);
        result("before_load_rss_mb", residentKiB() / 1024.0);
    } else if (phase == QLatin1String("before_save")) {
        QList<Customer> list = wholeDocumentLoad();
        list[list.size() / 2].notes = QStringLiteral("edited");
        timer.restart();
        if (!wholeDocumentSave(list))
            return 1;
        result("before_save_ms", msSince(timer));
        result("before_save_peak_mb", peakKiB() / 1024.0);
    } else {
        return 2;
    }
    return 0;
}

QMap<QString, double> runPhases(const QStringList &phases)
{
    QMap<QString, double> figures;
    for (const QString &phase : phases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("phase"), phase});
        child.waitForFinished(-1);
        if (child.exitCode() != 0)
            std::printf("phase %s failed (%d)\n", qPrintable(phase), child.exitCode());
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts[0] == "RESULT")
                figures.insert(QString::fromLatin1(parts[1]), parts[2].toDouble());
            else if (!line.isEmpty())
                std::printf("%s\n", line.constData());
        }
    }
    return figures;
}

bool useStore(const QString &cached)
{
    const QString target = customersFilePath();
    QFile::remove(target);
    CustomerStore::instance().forget();
    return !cached.isEmpty() && QFile::copy(cached, target);
}

void smallStore()
{
    QStringList photos;
    for (int i = 0; i < 16; ++i) // distinct pictures, reused across orders
        photos.append(grainyEntry(i));
    QList<Customer> orders;
    for (int id = 1; id <= 200; ++id)
        orders.append(orderFor(id, photos));
    QFile::remove(customersFilePath());
    saveCustomers(orders);
    const QMap<QString, double> f =
        runPhases({"raw", "load", "edit", "before_load", "before_save"});
    std::printf("\n200 orders x 4 grainy photos, %.1f MB\n", f["raw_mb"]);
    std::printf("  load          %8.1f ms  (reading the bytes %.1f ms in chunks, %.1f ms whole;"
                " before %.1f ms)\n",
                f["load_ms"], f["raw_chunks_ms"], f["raw_ms"], f["before_load_ms"]);
    std::printf("  edit + save   %8.1f ms  peak %.0f MB  (before %.1f ms, peak %.0f MB)\n",
                f["edit_ms"], f["edit_peak_mb"], f["before_save_ms"], f["before_save_peak_mb"]);
}

void yearStore()
{
    if (!useStore(cachedStore(QStringLiteral("customers-year.json"), 2500)))
        return;
    const QMap<QString, double> f =
        runPhases({"raw", "compare", "empty", "load", "saves", "before_load", "before_save"});
    const double copy = f["copy_ms"];
    std::printf("\na year: %.0f orders x 4 camera-like photos, %.1f MB\n", f["orders"],
                f["raw_mb"]);
    const double raw = std::min(f["raw_ms"], f["raw_chunks_ms"]);
    std::printf("  first load          %8.1f ms  = %.2fx reading the bytes once (%.1f ms in 4 MiB"
                " chunks, %.1f ms whole)   goal <= 1.5x   before: %.1f ms\n",
                f["load_ms"], f["load_ms"] / raw, f["raw_chunks_ms"], f["raw_ms"],
                f["before_load_ms"]);
    std::printf("  scan, median of 5   %8.1f ms  = %.2fx reading the bytes (%.1f ms), in turns\n",
                f["scan_median_ms"], f["scan_median_ms"] / f["read_median_ms"],
                f["read_median_ms"]);
    std::printf("  memory after load   %+8.1f MB over an empty store (%.1f MB)"
                "   goal <= +150 MB   before: %+.1f MB, peak %.0f MB\n",
                f["load_rss_mb"] - f["empty_rss_mb"], f["empty_rss_mb"],
                f["before_load_rss_mb"] - f["empty_rss_mb"], f["before_load_peak_mb"]);
    std::printf("  load again          %8.3f ms, order list shown again %.1f ms   goal < 50 ms\n",
                f["load_again_ms"], f["list_again_ms"]);
    std::printf("  detail page, 4 photos %6.1f ms   goal < 100 ms\n", f["detail_ms"]);
    std::printf("  copying the file with fsync %.1f ms; the same and renamed over the store"
                " (freeing the old file, as every save does) %.1f ms; medians of 6 rounds taken"
                " in turns with the saves\n",
                copy, f["replace_ms"]);
    for (const char *what : {"append", "edit", "delete"}) {
        const QString key = QString::fromLatin1(what);
        std::printf("  %-6s + save       %8.1f ms = %.2fx the copy with rename, %.2fx the bare"
                    " copy   goal <= 1.3x\n",
                    what, f[key + "_ms"], f[key + "_ms"] / f["replace_ms"], f[key + "_ms"] / copy);
    }
    std::printf("  peak memory of the saves %.0f MB (%+.0f MB over the empty store, goal <= +150;"
                " %.0f MB after loading)\n",
                f["saves_peak_mb"], f["saves_peak_mb"] - f["empty_rss_mb"],
                f["saves_loaded_peak_mb"]);
    std::printf("  before: an edit saved in %.1f ms (%.2fx the copy), peak %.0f MB\n",
                f["before_save_ms"], f["before_save_ms"] / copy, f["before_save_peak_mb"]);
}

void hugeStore()
{
    const QString cached = cachedStore(QStringLiteral("customers-huge.json"), 3300);
    if (!useStore(cached))
        return;
    const QMap<QString, double> f = runPhases({"raw", "compare", "load", "saves"});
    std::printf("\nover 2 GiB: %.0f orders, %.1f MB (%s 2 GiB)\n", f["orders"], f["raw_mb"],
                f["raw_mb"] * 1e6 > 2147483648.0 ? "above" : "NOT above");
    std::printf("  first load %.1f ms (reading the bytes %.1f ms in chunks), memory after load"
                " %.1f MB; scan %.1f ms against reading %.1f ms, medians of 5 in turns\n",
                f["load_ms"], f["raw_chunks_ms"], f["load_rss_mb"], f["scan_median_ms"],
                f["read_median_ms"]);
    std::printf("  append + save %.1f ms, edit + save %.1f ms, delete + save %.1f ms (copy with"
                " fsync %.1f ms), medians of 6\n",
                f["append_ms"], f["edit_ms"], f["delete_ms"], f["copy_ms"]);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 && args[1] == QLatin1String("phase"))
        return runPhase(args[2]);
    if (args.size() > 2 && args[1] == QLatin1String("shot")) {
        if (!useStore(cachedStore(QStringLiteral("customers-year.json"), 2500)))
            return 1;
        Startup::prepare(); // the language packs and font the program starts with
        MainWindow window;
        window.resize(1400, 860);
        window.show();
        window.onOrderBtnClicked();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!window.grab().save(args[2]))
            return 1;
        // And the detail page of one order, its four photos read from the file.
        emit qobject_cast<OrderPage *>(window.pageStack()->widget(3))->detailRequested(1234);
        settle.restart();
        while (settle.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return window.grab().save(
                   QString(args[2]).replace(QStringLiteral(".png"), QStringLiteral("-detail.png")))
                   ? 0
                   : 1;
    }
    if (args.size() > 2 && args[1] == QLatin1String("year")) {
        // Chosen phases only, their raw figures: for working on one of them.
        if (!useStore(cachedStore(QStringLiteral("customers-year.json"), 2500)))
            return 1;
        const QMap<QString, double> f = runPhases(args.mid(2));
        for (auto it = f.cbegin(); it != f.cend(); ++it)
            std::printf("  %-24s %10.1f\n", qPrintable(it.key()), it.value());
        return 0;
    }
    if (args.size() > 1 && args[1] == QLatin1String("huge")) {
        hugeStore();
        return 0;
    }
    smallStore();
    yearStore();
    return 0;
}

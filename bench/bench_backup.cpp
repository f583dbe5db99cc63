// Backup and restore of the order store against copying its three files, in
// the same run: `bench_backup` measures the 200-order store, `bench_backup
// year` a year of a busy clinic (2,500 orders x 4 photos, about 2 GB), both
// generated once into bench-data/ beside the build's bin folder. Copying
// syncs each file, as the backup and the restore sync theirs. Each step runs
// in a child process of its own, so that its peak memory is its own.
#include "backup/backupcontrol.h"
#include "backup/backuprestorer.h"
#include "backup/backupwriter.h"
#include "records/store/customerstore.h"
#include "records/store/jsonfilestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QString benchDir(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data/") + name;
}

// Photos like the camera's: incompressible JPEG bytes, in Base64.
QString dataFolder(int orders)
{
    const QString dir = benchDir(QStringLiteral("backup-%1").arg(orders));
    const QString customers = dir + QStringLiteral("/customers.json");
    if (QFileInfo(customers).size() > 0)
        return dir;
    std::printf("generating %s (%d orders, once)...\n", qPrintable(dir), orders);
    std::fflush(stdout);
    QDir().mkpath(dir);
    QStringList photos;
    for (int i = 0; i < 12; ++i) {
        QByteArray jpeg(150 * 1024 + i * 4096, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(jpeg.data()),
                                              jpeg.size() / 4);
        photos.append(QStringLiteral("20250304_0900%1|").arg(i) +
                      QString::fromLatin1(jpeg.toBase64()));
    }
    QList<Customer> list;
    for (int id = 1; id <= orders; ++id) {
        Customer c;
        c.id = id;
        c.name = QStringLiteral("Customer %1").arg(id);
        c.createdAt = QStringLiteral("2026-01-01T09:00:00");
        for (int k = 0; k < 4; ++k)
            c.photos.append(StoredPhoto(photos.at((id + k) % photos.size())));
        list.append(c);
    }
    if (!CustomerStore::instance().save(customers, list))
        return {};
    QFile fitters(dir + QStringLiteral("/fitters.json"));
    QFile config(dir + QStringLiteral("/reportconfig.json"));
    if (!fitters.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly))
        return {};
    fitters.write(R"({"fitters": [{"id": 1, "name": "Ada"}]})");
    config.write(R"({"companyName": "Clinic", "reportTitle": "", "defaultNotes": ""})");
    return dir;
}

bool copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 n; (n = in.read(buffer.data(), buffer.size())) > 0;)
        if (out.write(buffer.constData(), n) != n)
            return false;
    return JsonFileStore::syncFile(out.handle());
}

// One step in this process; prints seconds and peak memory growth in MB.
int runStep(const QString &step, const QString &data, const QString &work)
{
    const qint64 rssBefore = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    BackupControl control;
    if (step == QLatin1String("copy")) {
        ok = true;
        for (const char *name : {"customers.json", "fitters.json", "reportconfig.json"})
            ok = ok && copyFile(data + QLatin1Char('/') + QLatin1String(name),
                                work + QLatin1Char('/') + QLatin1String(name));
    } else if (step == QLatin1String("backup")) {
        ok = BackupWriter::write(data, work + QStringLiteral("/backup.tar"), {}, control).isOk();
    } else if (step == QLatin1String("restore")) {
        ok = BackupRestorer::restore(work + QStringLiteral("/../backup.tar"), work, control).isOk();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("%.3f %.1f\n", seconds, double(statusKb("VmHWM:") - rssBefore) / 1024.0);
    return ok ? 0 : 1;
}

void settle()
{
    ::sync();
    QThread::sleep(2);
}

bool step(const QString &name, const QString &data, const QString &work, double *seconds,
          double *mb)
{
    settle();
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("step"), name, data, work});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::printf("%s failed\n", qPrintable(name));
        return false;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    *seconds = figures.value(0).toDouble();
    *mb = figures.value(1).toDouble();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == QLatin1String("step"))
        return runStep(args[2], args[3], args[4]);

    const int orders = args.value(1) == QLatin1String("year") ? 2500 : 200;
    const QString data = dataFolder(orders);
    if (data.isEmpty())
        return 1;
    const QString work = benchDir(QStringLiteral("backup-work"));
    qint64 bytes = 0;
    for (const QFileInfo &info : QDir(data).entryInfoList(QDir::Files))
        bytes += info.size();
    std::printf("%d orders x 4 photos, %.1f MB in three files\n", orders, double(bytes) / 1e6);

    // The disk is shared and its speed wanders: each step runs three times,
    // interleaved, and the fastest run of each counts.
    double copy = 1e9, copyMb = 0, backup = 1e9, backupMb = 0, restore = 1e9, restoreMb = 0;
    for (int round = 0; round < 3; ++round) {
        double s = 0, mb = 0;
        if (!step(QStringLiteral("copy"), data, work, &s, &mb))
            return 1;
        copy = std::min(copy, s);
        copyMb = std::max(copyMb, mb);
        if (!step(QStringLiteral("backup"), data, work, &s, &mb))
            return 1;
        backup = std::min(backup, s);
        backupMb = std::max(backupMb, mb);
        // The restore unpacks the backup just written into an empty folder.
        if (!step(QStringLiteral("restore"), data, work + QStringLiteral("/target"), &s, &mb))
            return 1;
        restore = std::min(restore, s);
        restoreMb = std::max(restoreMb, mb);
    }
    QDir(work).removeRecursively();
    std::printf("copy of the three files (synced) %8.2f s   peak +%.1f MB\n", copy, copyMb);
    std::printf("backup (write, read back, check) %8.2f s   peak +%.1f MB   %.2fx copy\n", backup,
                backupMb, backup / copy);
    std::printf("restore (check, unpack, replace) %8.2f s   peak +%.1f MB   %.2fx copy\n", restore,
                restoreMb, restore / copy);
    return 0;
}

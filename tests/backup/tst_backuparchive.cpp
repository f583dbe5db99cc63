#include "backup/backupmanifest.h"
#include "backup/backupreader.h"
#include "backup/backuprestorer.h"
#include "backup/backupschedule.h"
#include "backup/backupwriter.h"
#include "common/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include <thread>

#include <archive.h>
#include <archive_entry.h>

namespace {

struct Entry
{
    QString name;
    QByteArray data;
    bool symlink = false;
};

enum class Kind { Tar, GzipTar, Zip };

// Writes an archive by hand, as a foreign or hostile program could.
void makeArchive(const QString &path, const QList<Entry> &entries, Kind kind = Kind::Tar)
{
    archive *a = archive_write_new();
    if (kind == Kind::Zip) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
        if (kind == Kind::GzipTar)
            archive_write_add_filter_gzip(a);
    }
    QVERIFY(archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK);
    for (const Entry &e : entries) {
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.toUtf8().constData());
        archive_entry_set_perm(entry, 0644);
        if (e.symlink) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.data.constData());
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, e.data.size());
        }
        archive_write_header(a, entry);
        if (!e.symlink)
            archive_write_data(a, e.data.constData(), size_t(e.data.size()));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

BackupManifest::File described(const QString &name, const QByteArray &data)
{
    return {name, data.size(), QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()};
}

Entry manifestEntry(const QList<BackupManifest::File> &files)
{
    BackupManifest manifest;
    manifest.createdAt = QDateTime::currentDateTime();
    manifest.files = files;
    return {BackupManifest::entryName(), manifest.toJson()};
}

const QByteArray Orders = R"({"customers": [{"id": 1, "name": "Ada"}]})";
const QByteArray Fitters = R"({"fitters": []})";

// Every file below `root`, with its content.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, TestSupport::readFile(path));
    }
    return files;
}

} // namespace

Q_DECLARE_METATYPE(QList<Entry>)

class TestBackupArchive : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_data;
    QString m_archive;

    void fillStore()
    {
        TestSupport::writeFile(m_data + "/customers.json", Orders);
        TestSupport::writeFile(m_data + "/fitters.json", Fitters);
    }

private slots:
    void init()
    {
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
        m_data = m_root.filePath("data");
        QDir().mkpath(m_data);
        m_archive = m_root.filePath("out/backup.tar");
        QDir().mkpath(m_root.filePath("out"));
    }

    void backupAndRestore()
    {
        fillStore();
        BackupManifest summary;
        summary.orders = 1;
        BackupControl control;
        QVERIFY(BackupWriter::write(m_data, m_archive, summary, control).isOk());
        QVERIFY(!QFile::exists(BackupWriter::partialPath(m_archive)));
        QCOMPARE(control.done(), control.total());

        BackupReader reader(m_archive);
        QVERIFY(reader.readManifest().isOk());
        QCOMPARE(reader.manifest().orders, 1);
        QCOMPARE(reader.manifest().files.size(), 2); // no reportconfig.json was there
        QCOMPARE(reader.manifest().file("customers.json")->size, Orders.size());

        // Changed since the backup, and a report configuration made since.
        TestSupport::writeFile(m_data + "/customers.json", "{\"customers\": []}");
        TestSupport::writeFile(m_data + "/reportconfig.json", "{}");
        QStringList kept;
        BackupControl restoring;
        QVERIFY(BackupRestorer::restore(m_archive, m_data, restoring, &kept).isOk());
        QCOMPARE(TestSupport::readFile(m_data + "/customers.json"), Orders);
        QCOMPARE(TestSupport::readFile(m_data + "/fitters.json"), Fitters);
        QVERIFY(!QFile::exists(m_data + "/reportconfig.json"));
        QCOMPARE(kept.size(), 3);
        for (const QString &k : kept)
            QVERIFY(k.contains(".before-restore-"));
        QCOMPARE(QDir(m_data).entryList({"*.restoring"}, QDir::Files).size(), 0);
    }

    // A save replaces customers.json while the backup is reading it: the
    // archive must hold one whole version, never the old file's start with a
    // manifest that matches neither. Which version depends on when the save
    // lands: during the read it makes the backup start again and take the new
    // one; on a busy machine it may land only after the old one was read.
    void storeSavedDuringTheBackupIsArchivedWhole()
    {
        const QByteArray old = QByteArray(16 << 20, ' ') + Orders;
        TestSupport::writeFile(m_data + "/customers.json", old);
        TestSupport::writeFile(m_data + "/fitters.json", Fitters);
        BackupControl control;
        std::thread saver([&] {
            while (control.done() == 0)
                std::this_thread::yield();
            QSaveFile file(m_data + "/customers.json");
            if (file.open(QIODevice::WriteOnly) && file.write(Orders) == Orders.size())
                file.commit();
        });
        const BackupStatus status = BackupWriter::write(m_data, m_archive, {}, control);
        saver.join();
        QVERIFY(status.isOk());
        QStringList kept;
        BackupControl restoring;
        QVERIFY(BackupRestorer::restore(m_archive, m_data, restoring, &kept).isOk());
        const QByteArray restored = TestSupport::readFile(m_data + "/customers.json");
        QVERIFY(restored == Orders || restored == old);
    }

    void cancelledBackupOrRestoreLeavesNothing()
    {
        fillStore();
        BackupControl cancelled;
        cancelled.cancel();
        QCOMPARE(BackupWriter::write(m_data, m_archive, {}, cancelled).code(),
                 BackupStatus::Cancelled);
        QCOMPARE(QDir(m_root.filePath("out")).entryList(QDir::Files | QDir::Hidden).size(), 0);

        BackupControl control;
        QVERIFY(BackupWriter::write(m_data, m_archive, {}, control).isOk());
        TestSupport::writeFile(m_data + "/customers.json", "{\"customers\": []}");
        const QMap<QString, QByteArray> before = snapshot(m_data);
        BackupControl restoring;
        restoring.cancel();
        QCOMPARE(BackupRestorer::restore(m_archive, m_data, restoring).code(),
                 BackupStatus::Cancelled);
        QCOMPARE(snapshot(m_data), before);
    }

    void refusedArchive_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("expected");

        const Entry manifest = manifestEntry(
            {described("customers.json", Orders), described("fitters.json", Fitters)});
        const Entry customers{"customers.json", Orders};
        const Entry fitters{"fitters.json", Fitters};
        const auto row = [](const char *name, const QList<Entry> &entries, BackupStatus::Code code,
                            Kind kind = Kind::Tar) {
            QTest::newRow(name) << entries << int(kind) << int(code);
        };
        row("missing file", {customers, manifest}, BackupStatus::Damaged);
        row("wrong checksum",
            {{"customers.json", QByteArray(Orders).replace("Ada", "Eve")}, fitters, manifest},
            BackupStatus::Damaged);
        row("parent path", {{"../customers.json", Orders}, fitters, manifest},
            BackupStatus::Unsafe);
        row("absolute path", {{"/tmp/customers.json", Orders}, manifest}, BackupStatus::Unsafe);
        row("symlink", {{"customers.json", "/etc/passwd", true}, fitters, manifest},
            BackupStatus::Unsafe);
        row("far larger than declared",
            {{"customers.json", QByteArray(4 << 20, 'x')}, fitters, manifest},
            BackupStatus::Damaged);
        row("entry not in manifest", {customers, fitters, {"reportconfig.json", "{}"}, manifest},
            BackupStatus::Damaged);
        row("no manifest", {customers, fitters}, BackupStatus::Damaged);
        row("foreign tar", {{"notes.txt", "hello"}}, BackupStatus::NotAnArchive);
        // A small compressed file that would unpack to far more than it holds.
        const QList<Entry> bomb{
            {"customers.json", QByteArray(64 << 20, '\0')},
            manifestEntry({described("customers.json", QByteArray(64 << 20, '\0'))})};
        row("zip bomb", bomb, BackupStatus::NotAnArchive, Kind::Zip);
        row("gzip bomb", bomb, BackupStatus::NotAnArchive, Kind::GzipTar);
        QTest::newRow("empty file") << QList<Entry>{} << -1 << int(BackupStatus::NotAnArchive);
    }

    void refusedArchive()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(int, kind);
        QFETCH(int, expected);
        fillStore();
        TestSupport::writeFile(m_data + "/reportconfig.json", "{\"companyName\": \"Clinic\"}");
        if (kind < 0)
            TestSupport::writeFile(m_archive, {});
        else
            makeArchive(m_archive, entries, Kind(kind));
        const QMap<QString, QByteArray> before = snapshot(m_root.path());

        BackupControl control;
        QCOMPARE(int(BackupRestorer::restore(m_archive, m_data, control).code()), expected);
        QCOMPARE(snapshot(m_root.path()), before);
        QVERIFY(!QFile::exists(m_root.filePath("customers.json")));
        QVERIFY(!QFile::exists("/tmp/customers.json") ||
                TestSupport::readFile("/tmp/customers.json") != Orders);
    }

    void truncatedArchive()
    {
        fillStore();
        BackupControl control;
        QVERIFY(BackupWriter::write(m_data, m_archive, {}, control).isOk());
        const QByteArray whole = TestSupport::readFile(m_archive);
        const QMap<QString, QByteArray> before = snapshot(m_data);
        // Cut inside the first file's data, and just before the manifest's.
        for (qsizetype at : {qsizetype(700), whole.size() - 1200}) {
            TestSupport::writeFile(m_archive, whole.left(at));
            BackupControl restoring;
            QCOMPARE(BackupRestorer::restore(m_archive, m_data, restoring).code(),
                     BackupStatus::Damaged);
            QCOMPARE(snapshot(m_data), before);
        }
    }

    void isDue_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("lastRun");
        QTest::addColumn<bool>("due");
        const QDateTime now(QDate(2026, 3, 10), QTime(8, 0));
        using P = BackupSchedule::Period;
        QTest::newRow("off") << int(P::Off) << QDateTime() << false;
        QTest::newRow("never run") << int(P::Daily) << QDateTime() << true;
        QTest::newRow("daily, earlier today") << int(P::Daily) << now.addSecs(-3600) << false;
        QTest::newRow("daily, late yesterday") << int(P::Daily) << now.addSecs(-10 * 3600) << true;
        QTest::newRow("weekly, six days") << int(P::Weekly) << now.addDays(-6) << false;
        QTest::newRow("weekly, seven days") << int(P::Weekly) << now.addDays(-7) << true;
        QTest::newRow("clock set back") << int(P::Weekly) << now.addDays(30) << true;
    }

    void isDue()
    {
        QFETCH(int, period);
        QFETCH(QDateTime, lastRun);
        QFETCH(bool, due);
        const QDateTime now(QDate(2026, 3, 10), QTime(8, 0));
        QCOMPARE(BackupSchedule::isDue(BackupSchedule::Period(period), lastRun, now), due);
    }

    void pruneKeepsNewestAndOthers()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2026, 1, 1), QTime(9, 0));
        for (int day = 0; day < 5; ++day)
            TestSupport::writeFile(dir.filePath(BackupSchedule::archiveName(t.addDays(day))), "x");
        TestSupport::writeFile(dir.filePath("lumaural-backup-20250101-000000.tar.partial"), "x");
        TestSupport::writeFile(dir.filePath("lumaural-backup-mine.tar"), "x");
        TestSupport::writeFile(dir.filePath("holiday.tar"), "x");

        QCOMPARE(BackupSchedule::prune(dir.path(), 2).size(), 4);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left,
                 (QStringList{"holiday.tar", "lumaural-backup-20260104-090000.tar",
                              "lumaural-backup-20260105-090000.tar", "lumaural-backup-mine.tar"}));
        QCOMPARE(BackupSchedule::prune(dir.path(), 0).size(), 1); // the newest always stays
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestBackupArchive)
#include "tst_backuparchive.moc"

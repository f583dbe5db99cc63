#include "records/store/jsonfilestore.h"
#include "records/store/recordstore.h"
#include "records/store/storealerts.h"

#include "common/testsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <csignal>
#include <dlfcn.h>
#include <functional>
#include <limits>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

QStringList preservedCopies(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().entryList({info.fileName() + ".unreadable-*"}, QDir::Files);
}

// Makes every write past `bytes` fail, as a full disk would, until destroyed.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

// A 64 KiB file system over `dir`, in a mount namespace of this thread only.
bool mountSmallDisk(const QString &dir)
{
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k") == 0;
}

// Counts the folder syncs made while `whenFolderSynced` holds.
std::function<bool()> whenFolderSynced;
int folderSyncsSeen = 0;

} // namespace

// Every fsync of the stores comes through here, then goes on to the C library's.
extern "C" int fsync(int handle)
{
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    struct stat info
    {
    };
    if (whenFolderSynced && fstat(handle, &info) == 0 && S_ISDIR(info.st_mode) &&
        whenFolderSynced())
        ++folderSyncsSeen;
    return real(handle);
}

class TestRecordStore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(customersFilePath());
        QFile::remove(fittersFilePath());
        QDir dir(JsonFileStore::dataDirectory());
        for (const QString &name : dir.entryList({"*.json.*"}, QDir::Files))
            dir.remove(name);
    }

    void cleanup() { umount2(QFile::encodeName(JsonFileStore::dataDirectory()), MNT_DETACH); }

    void filesLiveInTheAppDataLocation()
    {
        QVERIFY(customersFilePath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QCOMPARE(QFileInfo(customersFilePath()).dir(), QFileInfo(fittersFilePath()).dir());
    }

    void missingFileGivesEmptyListAndFirstIdOne()
    {
        QVERIFY(loadCustomers().isEmpty());
        Customer c;
        c.id = nextCustomerId(loadCustomers());
        QCOMPARE(c.id, 1);
        QVERIFY(appendCustomer(c));
        QCOMPARE(loadCustomers().size(), 1);
    }

    void idAssignment_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << QList<int>{} << 1;
        QTest::newRow("gaps") << QList<int>{3, 1, 7} << 8;
        QTest::newRow("all non-positive") << QList<int>{0, -5} << 1;
        QTest::newRow("largest deleted is reused") << QList<int>{1, 2} << 3;
        QTest::newRow("at the int limit") << QList<int>{1, std::numeric_limits<int>::max(), 2} << 3;
    }

    void idAssignment()
    {
        QFETCH(QList<int>, ids);
        QFETCH(int, expected);
        QList<Customer> customers;
        QList<Fitter> fitters;
        for (int id : ids) {
            customers.append(Customer());
            customers.last().id = id;
            fitters.append(Fitter());
            fitters.last().id = id;
        }
        QCOMPARE(nextCustomerId(customers), expected);
        QCOMPARE(nextFitterId(fitters), expected);
    }

    void roundTripKeepsEveryField()
    {
        const QJsonObject full = QJsonDocument::fromJson(R"({"id": 4, "orderNumber": "A-1",
            "name": "<b>x</b>", "patientId": "p", "gender": "女", "birthDate": "1990", "phone": "1",
            "age": 33, "address": "a", "email": "e@x", "fitterId": 2, "fitterName": "F",
            "fitterWorkId": "W", "fitterClinic": "C", "notes": "n", "diagnosis": "d",
            "createdAt": "2025-03-03T09:05:07", "photos": ["a|QUJD", "b|REVG"]})")
                                     .object();
        QVERIFY(saveCustomers({Customer::fromJson(full)}));
        QCOMPARE(loadCustomers().value(0).toJson(), full);

        Fitter f;
        f.id = 9;
        f.workYears = 5;
        f.isDefault = true;
        QVERIFY(saveFitters({f}));
        const QJsonObject stored =
            QJsonDocument::fromJson(readFile(fittersFilePath())).object()["fitters"][0].toObject();
        QVERIFY(stored["isDefault"].isBool());
        QVERIFY(stored["workYears"].isDouble());
        QCOMPARE(loadFitters().value(0).toJson(), f.toJson());
    }

    void missingAndWronglyTypedFieldsGetDefaults()
    {
        writeFile(customersFilePath(), R"({"customers": [
            {"id": 5, "name": "A"},
            {"id": "7", "age": 2.5, "fitterId": 1e12, "gender": 1, "name": ["x"], "photos": ["p", 3, null]},
            12,
            {}
        ]})");
        const QList<Customer> customers = loadCustomers();
        QCOMPARE(customers.size(), 4);
        QCOMPARE(customers[0].age, -1);
        QCOMPARE(customers[0].fitterId, -1);
        QCOMPARE(customers[0].gender, QStringLiteral("保密"));
        QCOMPARE(customers[1].id, 0);
        QCOMPARE(customers[1].age, -1);
        QCOMPARE(customers[1].fitterId, -1);
        QCOMPARE(customers[1].gender, QStringLiteral("保密"));
        QCOMPARE(customers[1].name, QString());
        QCOMPARE(StoredPhoto::entries(customers[1].photos), (QStringList{"p", "", ""}));
        QCOMPARE(customers[2].toJson(), Customer().toJson());
        QCOMPARE(customers[3].toJson(), Customer().toJson());

        writeFile(fittersFilePath(), R"({"fitters": [{"workYears": "3", "isDefault": "true"}]})");
        const Fitter f = loadFitters().value(0);
        QCOMPARE(f.workYears, -1);
        QCOMPARE(f.isDefault, false);
        QCOMPARE(f.gender, QStringLiteral("保密"));
    }

    void unreadableContentLoadsEmpty_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("array at top") << QByteArray("[]");
        QTest::newRow("truncated") << QByteArray(R"({"customers": [{"id": 1)");
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n not json");
        QTest::newRow("root not an array") << QByteArray(R"({"customers": {"id": 1}})");
        QTest::newRow("deeply nested") << QByteArray(R"({"customers": )") + QByteArray(100000, '[');
    }

    // The user's orders must never vanish because one save followed a bad read.
    void unreadableContentLoadsEmpty()
    {
        QFETCH(QByteArray, content);
        writeFile(customersFilePath(), content);
        QVERIFY(loadCustomers().isEmpty());
        QCOMPARE(readFile(customersFilePath()), content); // loading writes nothing

        Customer c;
        c.id = nextCustomerId(loadCustomers());
        QVERIFY(appendCustomer(c));

        const QStringList kept = preservedCopies(customersFilePath());
        QCOMPARE(kept.size(), 1);
        QVERIFY(QRegularExpression(R"(^customers\.json\.unreadable-\d{8}-\d{6}$)")
                    .match(kept[0])
                    .hasMatch());
        QCOMPARE(readFile(QFileInfo(customersFilePath()).dir().filePath(kept[0])), content);
        QCOMPARE(loadCustomers().size(), 1);
        QVERIFY(
            QJsonDocument::fromJson(readFile(customersFilePath())).object()["customers"].isArray());
    }

    void readableFilesAreNotCopiedAside()
    {
        QVERIFY(saveFitters({Fitter()}));
        QVERIFY(saveFitters({Fitter(), Fitter()}));
        writeFile(fittersFilePath(), R"({"other": 1})"); // an object without the key reads as empty
        QVERIFY(loadFitters().isEmpty());
        QVERIFY(saveFitters({}));
        QVERIFY(preservedCopies(fittersFilePath()).isEmpty());
    }

    void replacedBehindOurBackIsStillChecked()
    {
        QVERIFY(saveFitters({Fitter()}));
        writeFile(fittersFilePath(), "{broken");
        QVERIFY(saveFitters({Fitter()}));
        QCOMPARE(preservedCopies(fittersFilePath()).size(), 1);
    }

    void failedWriteLeavesPreviousFileAndReportsFalse_data()
    {
        QTest::addColumn<rlim_t>("sizeLimit"); // 0: a full disk instead
        QTest::addColumn<int>("notesLength");
        QTest::newRow("large save, write limit") << rlim_t(4096) << 100000;
        QTest::newRow("small save, write limit") << rlim_t(64) << 10;
        QTest::newRow("small save, full disk") << rlim_t(0) << 10;
    }

    void failedWriteLeavesPreviousFileAndReportsFalse()
    {
        QFETCH(rlim_t, sizeLimit);
        QFETCH(int, notesLength);
        QDir dir(JsonFileStore::dataDirectory());
        if (sizeLimit == 0 && !mountSmallDisk(dir.path()))
            QSKIP("cannot mount a small file system here");
        Customer c;
        c.id = 1;
        c.name = "kept";
        QVERIFY(saveCustomers({c}));
        const QByteArray before = readFile(customersFilePath());

        QList<Customer> more(3, c);
        more.first().notes = QString(notesLength, 'n');
        std::optional<FileSizeLimit> limit;
        QFile filler(dir.filePath("filler"));
        if (sizeLimit > 0)
            limit.emplace(sizeLimit);
        else if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            filler.write(QByteArray(64 << 10, 'f')); // as much as fits
        QVERIFY(!saveCustomers(more));
        QCOMPARE(readFile(customersFilePath()), before);
        QCOMPARE(loadCustomers().value(0).name, QStringLiteral("kept"));
        QCOMPARE(dir.entryList(QDir::Files).filter("customers").size(), 1); // no temp file left
    }

    void fileThatCannotBeReadIsLeftAlone_data()
    {
        QTest::addColumn<bool>("tooLarge"); // else a folder in its place for a while
        // customers.json is read at any size; fitters.json goes through Qt's reader.
        QTest::newRow("too large for the reader") << true;
        QTest::newRow("cannot be opened") << false;
    }

    void fileThatCannotBeReadIsLeftAlone()
    {
        QFETCH(bool, tooLarge);
        const QString path = tooLarge ? fittersFilePath() : customersFilePath();
        const auto saveOne = [&] {
            return tooLarge ? saveFitters(loadFitters() << Fitter()) : appendCustomer(Customer());
        };
        QVERIFY(tooLarge ? saveFitters(QList<Fitter>(3)) : saveCustomers(QList<Customer>(3)));
        const QByteArray stored = readFile(path);
        QVERIFY(tooLarge ? QFile::resize(path, JsonFileStore::MaxJsonBytes + 1) // sparse
                         : QFile::rename(path, path + "-away") && QDir().mkdir(path));
        QSignalSpy alerts(StoreAlerts::instance(), &StoreAlerts::fileLeftAlone);
        QVERIFY(!saveOne());
        QVERIFY(alerts.wait());
        QCOMPARE(alerts.count(), 1); // once, however often read
        QCOMPARE(alerts[0][1].value<StoreAlerts::Problem>(),
                 tooLarge ? StoreAlerts::Problem::TooLarge : StoreAlerts::Problem::Unavailable);

        // Readable again, and read well by one page, while another may still
        // hold the empty list of the failed read.
        QVERIFY(tooLarge ? QFile::resize(path, stored.size())
                         : QDir().rmdir(path) && QFile::rename(path + "-away", path));
        QCOMPARE(tooLarge ? loadFitters().size() : loadCustomers().size(), 3);
        QVERIFY(tooLarge ? saveFitters({Fitter()}) : saveCustomers({Customer()}));
        const QStringList kept = preservedCopies(path);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readFile(QFileInfo(path).dir().filePath(kept[0])), stored);
    }

    void namesOutlastAPowerCut_data()
    {
        QTest::addColumn<int>("store");
        QTest::newRow("customers.json") << 0;
        QTest::newRow("fitters.json") << 1;
        QTest::newRow("copy kept aside") << 2;
    }

    // A rename is on disk once the folder is synced; a copy kept aside is
    // synced before the file it keeps is replaced.
    void namesOutlastAPowerCut()
    {
        QFETCH(int, store);
        const QString path = store == 0 ? customersFilePath() : fittersFilePath();
        const QByteArray damaged = "{durable";
        if (store == 2) {
            writeFile(path, damaged);
            QVERIFY(loadFitters().isEmpty());
        }
        folderSyncsSeen = 0;
        whenFolderSynced = [&] {
            if (store < 2)
                return readFile(path).contains("durable");
            const QStringList kept = preservedCopies(path);
            return readFile(path) == damaged && kept.size() == 1 &&
                   readFile(QFileInfo(path).dir().filePath(kept[0])) == damaged;
        };
        Customer c;
        c.name = "durable";
        Fitter f;
        f.name = "durable";
        const bool saved = store == 0
                               ? saveCustomers({c})
                               : saveFitters(store == 1 ? QList<Fitter>{f} : QList<Fitter>{});
        whenFolderSynced = nullptr;
        QVERIFY(saved);
        QVERIFY(folderSyncsSeen > 0);
    }

    void interruptedSaveLeftoversAreRemoved()
    {
        QDir dir(JsonFileStore::dataDirectory());
        const QStringList others{"customers.json.AbCd1f", "customers.json.AbCdEfG",
                                 "customers.json.Backup", "customers.json.backup",
                                 "fitters.json.AbCdEf"};
        for (const QString &name :
             others + QStringList{"customers.json.AbCdEf", "customers.json.qWxyZa"})
            writeFile(dir.filePath(name), "{}");
        QVERIFY(saveCustomers({}));
        QCOMPARE(dir.entryList({"*.json.*"}, QDir::Files, QDir::Name), others);
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"

#include "pgtestdatabase.h"
#include "records/server/recordsmigration.h"
#include "records/server/serverrecordsbackend.h"
#include "records/server/serverschema.h"
#include "records/store/recordstore.h"
#include "settings/recordslocationsection.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using Status = StoreResult::Status;
using State = ServerConnection::State;

namespace {

// Bytes that stand for a JPEG; the server keeps them as they are.
QString photo(const QString &name, int size = 3000)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + name.size() * 7) & 0xff);
    return name + QLatin1Char('|') + QString::fromLatin1(bytes.toBase64());
}

Customer order(const QString &name, int photos = 2)
{
    Customer c;
    c.orderNumber = QStringLiteral("NO-") + name;
    c.name = name;
    c.createdAt = QStringLiteral("2026-12-07T10:00:00");
    for (int i = 0; i < photos; ++i)
        c.photos.append(photo(QStringLiteral("%1_%2").arg(name).arg(i)));
    return c;
}

} // namespace

class TestServerStore : public QObject
{
    Q_OBJECT

private slots:
    void schemaIsCreatedAndUpgradedFromTheFirstVersion();
    void connectionStatesTellWhatIsWrong();
    void listedOrdersSavedBackKeepTheStoredPhotoBytes();
    void serverStoppedInTheMiddleOfASaveLeavesNothingHalfWritten();
    void copyingToTheServerTwiceAddsNothingTwiceAndExportsBack();
    void settingsSectionKeepsTheServerWithoutPasswordAndShowsItsState();
};

void TestServerStore::schemaIsCreatedAndUpgradedFromTheFirstVersion()
{
    PgTestDatabase db;
    QVERIFY(db.isValid());
    {
        // A server set up by the first version, with an order and its photo.
        ServerConnection connection(db.settings());
        QSqlDatabase &sql = connection.database();
        sql.setHostName(db.settings().host);
        sql.setPort(db.settings().port);
        sql.setUserName(db.settings().user);
        sql.setDatabaseName(db.settings().database);
        QVERIFY(sql.open());
        QVERIFY(ServerSchema::upgrade(sql, 1));
        QCOMPARE(ServerSchema::version(sql), 1);
    }
    QVERIFY(db.exec("INSERT INTO orders (name, created_at) VALUES ('old', "
                    "'2020-01-01T00:00:00')"));
    QVERIFY(db.exec("INSERT INTO order_photos (order_id, position, name, data)"
                    " VALUES (1, 0, 'p', '\\x0102'::bytea)"));

    ServerRecordsBackend backend(db.settings());
    QCOMPARE(backend.probe(), State::Connected);
    QCOMPARE(db.value("SELECT version FROM lumaural_schema").toInt(), ServerSchema::CurrentVersion);
    QCOMPARE(db.value("SELECT count(*) FROM lumaural_schema").toInt(), 1);
    StoreResult listed;
    const QList<Customer> list = backend.listOrders(&listed);
    QVERIFY(listed.ok());
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).name, QStringLiteral("old"));
    QCOMPARE(list.at(0).photos.size(), 1);
    QCOMPARE(db.value("SELECT byte_size FROM order_photos").toInt(), 2);
    // The next new order does not take the old one's id.
    Customer fresh = order("fresh");
    QVERIFY(backend.addOrder(&fresh).ok());
    QCOMPARE(fresh.id, 2);

    // A newer program's tables are left as they are.
    QVERIFY(db.exec("UPDATE lumaural_schema SET version = 99"));
    ServerRecordsBackend older(db.settings());
    QCOMPARE(older.probe(), State::SchemaTooNew);
    older.listOrders(&listed);
    QCOMPARE(listed.status, Status::Failed);
    QCOMPARE(db.value("SELECT version FROM lumaural_schema").toInt(), 99);
}

void TestServerStore::connectionStatesTellWhatIsWrong()
{
    PgTestDatabase db;
    QVERIFY(db.isValid());
    QTemporaryDir dir;
    const QString passFile = dir.filePath("pgpass");
    const auto writePassword = [&](const QByteArray &password) {
        TestSupport::writeFile(passFile, "*:*:*:lumaural_pw:" + password + '\n');
        QFile::setPermissions(passFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    };
    qputenv("PGPASSFILE", passFile.toLocal8Bit());

    ServerSettings settings = db.settings();
    settings.user = QStringLiteral("lumaural_pw");
    writePassword("wrong-password");
    QCOMPARE(ServerRecordsBackend(settings).probe(), State::WrongCredentials);
    // The password comes from libpq's password file, never from us.
    writePassword("right-password");
    QCOMPARE(ServerRecordsBackend(settings).probe(), State::Connected);

    ServerSettings nowhere = settings;
    nowhere.host = dir.filePath("no-server-here");
    ServerRecordsBackend away(nowhere);
    QCOMPARE(away.probe(), State::Unreachable);
    Customer c = order("lost");
    QCOMPARE(away.addOrder(&c).status, Status::Unreachable);

    ServerSettings badPath = settings;
    badPath.sslRootCert = QStringLiteral("/a;b");
    QCOMPARE(ServerRecordsBackend(badPath).probe(), State::Failed);
    qunsetenv("PGPASSFILE");
}

void TestServerStore::listedOrdersSavedBackKeepTheStoredPhotoBytes()
{
    PgTestDatabase db;
    QVERIFY(db.isValid());
    ServerRecordsBackend backend(db.settings());
    Customer c = order("anna", 3);
    QVERIFY(backend.addOrder(&c).ok());

    // A listed order holds photo names only; saving it keeps the stored bytes,
    // in their new places, without sending them again.
    Customer listed = backend.listOrders().at(0);
    QCOMPARE(listed.photos.at(2).name(), QStringLiteral("anna_2"));
    listed.photos.removeAt(1);
    listed.photos.prepend(photo("new"));
    listed.notes = QStringLiteral("edited");
    QVERIFY(backend.updateOrder(&listed).ok());
    Customer read;
    QVERIFY(backend.readOrder(c.id, &read).ok());
    QCOMPARE(StoredPhoto::entries(read.photos),
             QStringList({photo("new"), photo("anna_0"), photo("anna_2")}));
    QCOMPARE(read.notes, QStringLiteral("edited"));

    // A photo without bytes that is not stored either: refused, nothing changed.
    read.photos.append(QStringLiteral("ghost|"));
    read.notes = QStringLiteral("lost");
    QCOMPARE(backend.updateOrder(&read).status, Status::Failed);
    QVERIFY(backend.readOrder(c.id, &read).ok());
    QCOMPARE(read.notes, QStringLiteral("edited"));
    QCOMPARE(read.photos.size(), 3);
}

void TestServerStore::serverStoppedInTheMiddleOfASaveLeavesNothingHalfWritten()
{
    // A server of its own: the shared one must stay up for the other tests.
    QTemporaryDir serverDir(QDir::tempPath() + "/lumaural-pgstop-XXXXXX");
    const QString script = qEnvironmentVariable("LUMAURAL_PG_SERVER_SCRIPT");
    QCOMPARE(QProcess::execute(script, {"start", serverDir.path()}), 0);
    {
        PgTestDatabase db(serverDir.path());
        QVERIFY(db.isValid());
        ServerRecordsBackend backend(db.settings());
        Customer first = order("before");
        QVERIFY(backend.addOrder(&first).ok());

        // Another session holds the photos table, so the save stops after
        // writing its order row; then the server goes down.
        QSqlDatabase blocker = QSqlDatabase::addDatabase("QPSQL", "blocker");
        blocker.setHostName(db.settings().host);
        blocker.setPort(db.settings().port);
        blocker.setUserName(db.settings().user);
        blocker.setDatabaseName(db.settings().database);
        QVERIFY(blocker.open());
        QSqlQuery lock(blocker);
        QVERIFY(lock.exec("BEGIN"));
        QVERIFY(lock.exec("LOCK TABLE order_photos IN ACCESS EXCLUSIVE MODE"));
        QVERIFY(QProcess::startDetached(
            "bash", {"-c", QString("sleep 1; '%1' halt '%2'").arg(script, serverDir.path())}));
        Customer interrupted = order("interrupted", 4);
        QCOMPARE(backend.addOrder(&interrupted).status, Status::Unreachable);
        lock = QSqlQuery();
        blocker = QSqlDatabase();
        QSqlDatabase::removeDatabase("blocker");

        QCOMPARE(QProcess::execute(script, {"resume", serverDir.path()}), 0);
        QCOMPARE(db.value("SELECT count(*) FROM orders").toInt(), 1);
        QCOMPARE(db.value("SELECT count(*) FROM order_photos").toInt(), 2);
        // The same backend connects again and the save goes through.
        QVERIFY(backend.addOrder(&interrupted).ok());
        QCOMPARE(db.value("SELECT count(*) FROM order_photos").toInt(), 6);
    }
    QCOMPARE(QProcess::execute(script, {"stop", serverDir.path()}), 0);
}

void TestServerStore::copyingToTheServerTwiceAddsNothingTwiceAndExportsBack()
{
    PgTestDatabase db;
    QVERIFY(db.isValid());
    ServerRecordsBackend server(db.settings());
    // The server already has an inspector 1 and an order 2 from another
    // workstation.
    Fitter theirs;
    theirs.name = QStringLiteral("theirs");
    QVERIFY(server.addFitter(&theirs).ok());
    Customer other = order("other", 1);
    QVERIFY(server.addOrder(&other).ok());
    const Customer first = other;
    QVERIFY(server.addOrder(&other).ok());
    QVERIFY(server.removeOrders({first}).ok());

    QList<Fitter> fitters(2);
    fitters[0].id = 1;
    fitters[0].name = QStringLiteral("Li");
    fitters[1].id = 2;
    fitters[1].name = QStringLiteral("Max");
    QList<Customer> orders{order("a", 2), order("b", 0), order("c", 4)};
    for (int i = 0; i < orders.size(); ++i) {
        orders[i].id = i + 1;
        orders[i].fitterId = 1;
    }
    QVERIFY(saveCustomers(orders));
    QVERIFY(saveFitters(fitters));
    const QByteArray localBefore = TestSupport::readFile(customersFilePath());

    const QList<Customer> local = loadCustomers();
    const ReportConfig texts{QStringLiteral("Hörzentrum"), QStringLiteral("Befund"), "n"};
    int calls = 0;
    auto outcome = RecordsMigration::copyToServer(server, local, loadFitters(), texts,
                                                  [&](int done, int total) {
                                                      ++calls;
                                                      return done <= total;
                                                  });
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(calls, 5);
    QCOMPARE(outcome.ordersAdded, 3);
    QCOMPARE(outcome.fittersAdded, 2);
    QVERIFY(outcome.reportConfigCopied);
    // Texts the server already has are the clinic's: they stay.
    outcome = RecordsMigration::copyToServer(server, loadCustomers(), loadFitters(),
                                             {QStringLiteral("other"), QString(), QString()});
    QVERIFY(outcome.ok);
    QVERIFY(!outcome.reportConfigCopied);
    QCOMPARE(server.readReportConfig().toJson(), texts.toJson());
    QCOMPARE(outcome.ordersAdded, 0);
    QCOMPARE(outcome.ordersAlreadyThere, 3);
    QCOMPARE(outcome.fittersAlreadyThere, 2);
    QCOMPARE(db.value("SELECT count(*) FROM orders").toInt(), 4);
    QCOMPARE(TestSupport::readFile(customersFilePath()), localBefore);

    // Free ids are kept; the taken one gets a new number, and the orders follow
    // their inspector's new id.
    QMap<QString, Customer> byName;
    for (const Customer &listed : server.listOrders())
        byName.insert(listed.name, listed);
    QCOMPARE(byName.value("a").id, 1);
    QCOMPARE(byName.value("b").id, 3);
    QCOMPARE(byName.value("c").id, 4);
    QCOMPARE(byName.value("a").fitterId, 2);

    QTemporaryDir out;
    outcome = RecordsMigration::exportToFiles(server, out.path());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.ordersAdded, 4);
    // The file is the one this computer's store would write for those orders.
    QJsonArray expected;
    for (int id : {1, 2, 3, 4}) {
        Customer c;
        QVERIFY(server.readOrder(id, &c).ok());
        expected.append(c.toJson());
    }
    QCOMPARE(TestSupport::readFile(out.filePath("customers.json")),
             QJsonDocument(QJsonObject{{"customers", expected}}).toJson(QJsonDocument::Indented));
    const QJsonArray exportedFitters =
        QJsonDocument::fromJson(TestSupport::readFile(out.filePath("fitters.json")))
            .object()
            .value("fitters")
            .toArray();
    QCOMPARE(exportedFitters.size(), 3);
    JsonFileStore::ReadStatus status;
    QCOMPARE(loadReportConfigFrom(out.filePath("reportconfig.json"), &status).toJson(),
             texts.toJson());
}

void TestServerStore::settingsSectionKeepsTheServerWithoutPasswordAndShowsItsState()
{
    PgTestDatabase db;
    QVERIFY(db.isValid());
    QTemporaryDir dir;
    const QString iniPath = dir.filePath("lumaural.ini");
    UserSettings settings(iniPath);
    RecordsLocationSection section(&settings);
    QSignalSpy changed(&section, &RecordsLocationSection::recordsLocationChanged);
    auto *location = section.findChild<QComboBox *>("recordsLocationCombo");
    location->setCurrentIndex(1);
    section.findChild<QLineEdit *>("serverHostEdit")->setText(dir.filePath("nowhere"));
    section.findChild<QLineEdit *>("serverDatabaseEdit")->setText(db.settings().database);
    section.findChild<QLineEdit *>("serverUserEdit")->setText(db.settings().user);
    section.onConnectClicked();
    QCOMPARE(section.lastState(), State::Unreachable);
    QCOMPARE(changed.size(), 1);
    QVERIFY(section.findChild<QLabel *>("serverStateLabel")->text().contains("nowhere"));

    section.findChild<QLineEdit *>("serverHostEdit")->setText(db.settings().host);
    section.findChild<QSpinBox *>("serverPortSpin")->setValue(db.settings().port);
    section.onConnectClicked();
    QCOMPARE(section.lastState(), State::Connected);
    QCOMPARE(changed.size(), 2);
    // Kept for the next start, and no password anywhere in it.
    const UserSettings again(iniPath);
    QVERIFY(again.recordsServer().enabled);
    QCOMPARE(again.recordsServer().host, db.settings().host);
    QVERIFY(!TestSupport::readFile(iniPath).toLower().contains("password"));

    location->setCurrentIndex(0);
    QCOMPARE(changed.size(), 3);
    QVERIFY(!UserSettings(iniPath).recordsServer().enabled);
}

LUMAURAL_TEST_MAIN(TestServerStore)
#include "tst_serverstore.moc"

// The files reports leave behind: the report settings, safe export names, the
// CSV list and the folder of one order.
#include "records/exportfolder.h"
#include "records/exportnaming.h"
#include "records/ordercsv.h"
#include "records/orderpage.h"
#include "records/store/recordstore.h"
#include "records/reportphoto.h"
#include "reports/orderexport.h"
#include "records/store/reportconfig.h"

#include "../records/pagedriver.h"

#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

QString photo(const QString &name, const QColor &colour = Qt::red)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return photoEntry({QPixmap::fromImage(image), name});
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs `action` with writes past `bytes` failing, as on a disk that fills up.
template <typename Action> auto withFileSizeLimit(rlim_t bytes, Action action)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto result = action();
    setrlimit(RLIMIT_FSIZE, &old);
    return result;
}

} // namespace

class TestReportFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("en_US")); }
    void init() { QFile::remove(reportConfigPath()); }

    // Company, title and notes, in that order; damage costs only what it hides.
    void reportConfigReadsAnySubsetOfMembers_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("missing file") << QByteArray() << QStringList{"", "", ""};
        QTest::newRow("title is a number")
            << QByteArray(R"({"companyName": " a ", "reportTitle": 5})")
            << QStringList{" a ", "", ""};
        QTest::newRow("all and extras")
            << QByteArray(
                   R"({"companyName": "c", "reportTitle": "t", "defaultNotes": "n", "x": 1})")
            << QStringList{"c", "t", "n"};
        QTest::newRow("array at top")
            << QByteArray(R"(["companyName"])") << QStringList{"", "", ""};
        QTest::newRow("truncated")
            << QByteArray("{\"companyName\": \"c") << QStringList{"", "", ""};
    }

    void reportConfigReadsAnySubsetOfMembers()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            writeFile(reportConfigPath(), content);
        const ReportConfig config = loadReportConfig();
        QTEST((QStringList{config.companyName, config.reportTitle, config.defaultNotes}), "read");
        QVERIFY(reportConfigPath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    }

    void reportConfigSavesAllMembersAndRefusesHugeOnes()
    {
        ReportConfig config;
        config.companyName = "Clinic";
        QVERIFY(saveReportConfig(config));
        const QJsonObject stored = QJsonDocument::fromJson(readFile(reportConfigPath())).object();
        QCOMPARE(stored.keys(), (QStringList{"companyName", "defaultNotes", "reportTitle"}));
        QFile::remove(reportConfigPath());

        config.defaultNotes = QString(5 << 20, 'n'); // the reader would refuse it
        QVERIFY(!saveReportConfig(config));
        QVERIFY(!QFile::exists(reportConfigPath()));
        // A huge file is not read, and not lost when the next save replaces it.
        const QByteArray huge = "{\"companyName\": \"" + QByteArray(5 << 20, 'x') + "\"}";
        writeFile(reportConfigPath(), huge);
        QCOMPARE(loadReportConfig().companyName, QString());
        QVERIFY(saveReportConfig(ReportConfig()));
        const QFileInfo info(reportConfigPath());
        const QStringList kept =
            info.dir().entryList({"reportconfig.json.unreadable-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(QFileInfo(info.dir().filePath(kept[0])).size(), huge.size());
    }

    void fileNamesStayInTheFolder()
    {
        const QList<QPair<QString, QString>> rows{{"20250304_101112_L", "20250304_101112_L.jpg"},
                                                  {"a.JPG", "a.JPG"},
                                                  {"../../etc/passwd", "_.._etc_passwd.jpg"},
                                                  {"..", "photo.jpg"},
                                                  {"a:b*c?d", "a_b_c_d.jpg"},
                                                  {"a\nb\tc", "abc.jpg"},
                                                  {"con", "_con.jpg"},
                                                  {"左耳 1", "左耳 1.jpg"}};
        for (const auto &[stored, expected] : rows) {
            Customer order;
            order.photos = {photo(stored)};
            QCOMPARE(OrderExport::photoFileNames(order).value(0), expected);
        }
        Customer order;
        order.orderNumber = "N1";
        order.photos = {photo("x"), photo("X"), photo("x.jpg"), photo(QString(300, QChar(u'耳'))),
                        photo("N1")};
        const QStringList names = OrderExport::photoFileNames(order);
        QCOMPARE(names.mid(0, 3), QStringList({"x.jpg", "X_2.jpg", "x_3.jpg"}));
        QVERIFY(names.at(3).toUtf8().size() < 255);
        QCOMPARE(ExportNaming::reportFileName("  A/1 ", "2025-03-04T10:11:12"),
                 QStringLiteral("A_1_2025-03-04.pdf"));
        QCOMPARE(ExportNaming::reportFileName("", "not a date"), QStringLiteral("report.pdf"));
    }

    // Quoted where CSV needs it; what a spreadsheet would run as a formula is defused.
    void csvFields()
    {
        const QList<QPair<QString, QString>> rows{
            {"Anna", "Anna"},
            {"Berlin, Mitte", "\"Berlin, Mitte\""},
            {"5\" tall", "\"5\"\" tall\""},
            {"a\nb", "\"a\nb\""},
            {"=1+1", "'=1+1"},
            {"+49 30 1234", "'+49 30 1234"},
            {"-2+3", "'-2+3"},
            {"@SUM(A1)", "'@SUM(A1)"},
            {"\t=1", "'\t=1"},
            {"＝1+1", "'＝1+1"},
            {"=HYPERLINK(\"x\",1)", "\"'=HYPERLINK(\"\"x\"\",1)\""},
            {"a=b", "a=b"}};
        for (const auto &[value, field] : rows)
            QCOMPARE(OrderCsv::field(value), field);

        Customer order;
        order.orderNumber = "20250304001";
        order.name = QStringLiteral("张三");
        order.createdAt = "2025-03-04T10:11:12";
        order.photos = {photo("left")};
        const QByteArray csv = OrderCsv::document({order, Customer()});
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n");
        QCOMPARE(lines.size(), 4); // header, two orders, the empty end
        QVERIFY(lines.at(0).startsWith("Order no.,Exam time,Name,"));
        QCOMPARE(lines.at(1),
                 QStringLiteral("20250304001,2025-03-04 10:11:12,张三,Not specified,,,,,,,1"));
        QCOMPARE(lines.at(2), QStringLiteral(",,,Not specified,,,,,,,0"));
    }

    // The button exports what the search shows, and only that.
    void orderListExportsTheFilteredOrders()
    {
        QList<Customer> orders(3);
        orders[0].name = "Anna";
        orders[1].name = "=cmd|' /C calc'!A0";
        orders[2].name = "Anna Maria";
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        page.reloadOrders();
        child<QLineEdit>(page, "nameEdit")->setText("Anna");
        page.onQueryClicked();
        QTemporaryDir dir;
        ExportFolder::remember(dir.path(), true);
        // The proposed name, in the folder last used, is taken as it is.
        whenModalShown<QFileDialog>(
            [](QFileDialog *dialog) { static_cast<QDialog *>(dialog)->accept(); });
        child<QPushButton>(page, "exportCsvButton")->click();
        const QStringList written = QDir(dir.path()).entryList({"orders_*.csv"});
        QCOMPARE(written.size(), 1);
        QVERIFY(
            QRegularExpression("^orders_\\d{4}-\\d{2}-\\d{2}\\.csv$").match(written[0]).hasMatch());
        const QString csv = QString::fromUtf8(readFile(dir.filePath(written[0])));
        QCOMPARE(csv.count("\r\n"), 3);
        QVERIFY(csv.contains(",Anna,") && csv.contains(",Anna Maria,"));
        QVERIFY(!csv.contains("cmd"));
    }

    void orderFolderHoldsStoredBytesAndTheReport()
    {
        Customer order;
        order.orderNumber = "../N7";
        order.name = QStringLiteral("王五");
        order.createdAt = "2025-03-04T10:11:12";
        order.photos = {photo("../left"), photo("../left", Qt::blue), "broken|not base64 !"};
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("_N7_2025-03-04")); // an earlier export stays
        const QString folder = OrderExport::exportTo(dir.path(), order, {}, ReportConfig());
        QCOMPARE(folder, dir.filePath("_N7_2025-03-04_2"));
        QCOMPARE(filesIn(dir.path()), QStringList({"_N7_2025-03-04", "_N7_2025-03-04_2"}));
        QCOMPARE(filesIn(folder),
                 QStringList({"_N7_2025-03-04.pdf", "_left.jpg", "_left_2.jpg", "broken.jpg"}));
        QCOMPARE(readFile(folder + "/_left.jpg"), order.photos.at(0).imageData());
        QCOMPARE(readFile(folder + "/_left_2.jpg"), order.photos.at(1).imageData());
        QVERIFY(readFile(folder + "/_N7_2025-03-04.pdf").startsWith("%PDF-1.4"));

        // The photo fits, the report does not: nothing is left.
        QTemporaryDir full;
        order.photos = {photo("a")};
        QCOMPARE(withFileSizeLimit(
                     2000,
                     [&] { return OrderExport::exportTo(full.path(), order, {}, ReportConfig()); }),
                 QString());
        QCOMPARE(filesIn(full.path()), QStringList());
    }
};

LUMAURAL_TEST_MAIN(TestReportFiles)
#include "tst_reportfiles.moc"

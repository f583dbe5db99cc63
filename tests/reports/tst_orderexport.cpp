// Order export: safe file names, the CSV list and the folder of one order.
#include "records/exportfolder.h"
#include "records/exportnaming.h"
#include "records/ordercsv.h"
#include "records/orderpage.h"
#include "records/reportphoto.h"
#include "records/store/recordstore.h"
#include "records/store/reportconfig.h"
#include "reports/orderexport.h"

#include "../records/pagedriver.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

QString photo(const QString &name, const QColor &colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return photoEntry({QPixmap::fromImage(image), name});
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestOrderExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("en_US")); }

    void fileNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "20250304_101112_L"
                               << "20250304_101112_L.jpg";
        QTest::newRow("already jpg") << "a.JPG"
                                     << "a.JPG";
        QTest::newRow("path") << "../../etc/passwd"
                              << "_.._etc_passwd.jpg";
        QTest::newRow("dots only") << ".."
                                   << "photo.jpg";
        QTest::newRow("windows") << "a:b*c?d"
                                 << "a_b_c_d.jpg";
        QTest::newRow("control") << QString("a\nb\tc") << "abc.jpg";
        QTest::newRow("device") << "con"
                                << "_con.jpg";
        QTest::newRow("chinese") << QStringLiteral("左耳 1") << QStringLiteral("左耳 1.jpg");
    }

    void fileNamesStayInTheFolder()
    {
        QFETCH(QString, stored);
        Customer order;
        order.photos = {photo(stored, Qt::red)};
        QTEST(OrderExport::photoFileNames(order).value(0), "expected");
    }

    void equalNamesAndLongNamesGetTheirOwnFiles()
    {
        Customer order;
        order.orderNumber = "N1";
        order.photos = {photo("x", Qt::red), photo("X", Qt::red), photo("x.jpg", Qt::red),
                        photo(QString(300, QChar(u'耳')), Qt::red), photo("N1", Qt::red)};
        const QStringList names = OrderExport::photoFileNames(order);
        QCOMPARE(names.mid(0, 3), QStringList({"x.jpg", "X_2.jpg", "x_3.jpg"}));
        QVERIFY(names.at(3).toUtf8().size() < 255);
        QCOMPARE(ExportNaming::reportFileName("  A/1 ", "2025-03-04T10:11:12"),
                 QStringLiteral("A_1_2025-03-04.pdf"));
        QCOMPARE(ExportNaming::reportFileName("", "not a date"), QStringLiteral("report.pdf"));
    }

    void csvFields_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Anna"
                               << "Anna";
        QTest::newRow("comma") << "Berlin, Mitte"
                               << "\"Berlin, Mitte\"";
        QTest::newRow("quote") << "5\" tall"
                               << "\"5\"\" tall\"";
        QTest::newRow("line break") << "a\nb"
                                    << "\"a\nb\"";
        QTest::newRow("formula") << "=1+1"
                                 << "'=1+1";
        QTest::newRow("plus") << "+49 30 1234"
                              << "'+49 30 1234";
        QTest::newRow("minus") << "-2+3"
                               << "'-2+3";
        QTest::newRow("at") << "@SUM(A1)"
                            << "'@SUM(A1)";
        QTest::newRow("tab") << "\t=1"
                             << "'\t=1";
        QTest::newRow("full-width") << QStringLiteral("＝1+1") << QStringLiteral("'＝1+1");
        QTest::newRow("formula with comma") << "=HYPERLINK(\"x\",1)"
                                            << "\"'=HYPERLINK(\"\"x\"\",1)\"";
        QTest::newRow("inner equals") << "a=b"
                                      << "a=b";
    }

    void csvFields()
    {
        QFETCH(QString, value);
        QTEST(OrderCsv::field(value), "field");
    }

    void csvListIsUtf8WithBomAndNoPhotos()
    {
        Customer order;
        order.orderNumber = "20250304001";
        order.name = QStringLiteral("张三");
        order.createdAt = "2025-03-04T10:11:12";
        order.photos = {photo("left", Qt::red)};
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
        const QString csv = QString::fromUtf8(TestSupport::readFile(dir.filePath(written[0])));
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
        order.photos = {photo("../left", Qt::red), photo("../left", Qt::blue),
                        "broken|not base64 !"};
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("_N7_2025-03-04")); // an earlier export stays
        const QString folder = OrderExport::exportTo(dir.path(), order, {}, ReportConfig());
        QCOMPARE(folder, dir.filePath("_N7_2025-03-04_2"));
        QCOMPARE(filesIn(dir.path()), QStringList({"_N7_2025-03-04", "_N7_2025-03-04_2"}));
        QCOMPARE(filesIn(folder),
                 QStringList({"_N7_2025-03-04.pdf", "_left.jpg", "_left_2.jpg", "broken.jpg"}));
        QCOMPARE(TestSupport::readFile(folder + "/_left.jpg"), order.photos.at(0).imageData());
        QCOMPARE(TestSupport::readFile(folder + "/_left_2.jpg"), order.photos.at(1).imageData());
        QVERIFY(TestSupport::readFile(folder + "/_N7_2025-03-04.pdf").startsWith("%PDF-1.4"));
    }

    void aFailedExportLeavesNothing()
    {
        Customer order;
        order.photos = {photo("a", Qt::red)};
        QTemporaryDir dir;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = 2000; // the photo fits, the report does not
        setrlimit(RLIMIT_FSIZE, &limit);
        const QString folder = OrderExport::exportTo(dir.path(), order, {}, ReportConfig());
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(folder.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList());
    }
};

LUMAURAL_TEST_MAIN(TestOrderExport)
#include "tst_orderexport.moc"

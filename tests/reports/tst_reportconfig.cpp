#include "records/store/reportconfig.h"

#include "common/testsupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestReportConfig : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(reportConfigPath()); }

    void sharesTheDirectoryOfTheRecordStores()
    {
        QCOMPARE(QFileInfo(reportConfigPath()).fileName(), QStringLiteral("reportconfig.json"));
        QVERIFY(reportConfigPath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    }

    void readsAnySubsetOfMembers_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("notes");
        QTest::newRow("missing file") << QByteArray() << ""
                                      << ""
                                      << "";
        QTest::newRow("only company") << QByteArray(R"({"companyName": "ACME"})") << "ACME"
                                      << ""
                                      << "";
        QTest::newRow("title is a number")
            << QByteArray(R"({"companyName": " a ", "reportTitle": 5})") << " a "
            << ""
            << "";
        QTest::newRow("all and extras")
            << QByteArray(
                   R"({"companyName": "c", "reportTitle": "t", "defaultNotes": "n", "x": 1})")
            << "c"
            << "t"
            << "n";
        QTest::newRow("array at top") << QByteArray(R"(["companyName"])") << ""
                                      << ""
                                      << "";
        QTest::newRow("truncated") << QByteArray("{\"companyName\": \"c") << ""
                                   << ""
                                   << "";
    }

    void readsAnySubsetOfMembers()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            writeFile(reportConfigPath(), content);
        const ReportConfig config = loadReportConfig();
        QTEST(config.companyName, "company");
        QTEST(config.reportTitle, "title");
        QTEST(config.defaultNotes, "notes");
    }

    void saveWritesAllThreeMembers()
    {
        ReportConfig config;
        config.companyName = "Clinic";
        QVERIFY(saveReportConfig(config));
        const QJsonObject stored = QJsonDocument::fromJson(readFile(reportConfigPath())).object();
        QCOMPARE(stored.keys(), (QStringList{"companyName", "defaultNotes", "reportTitle"}));
        QCOMPARE(loadReportConfig().companyName, QStringLiteral("Clinic"));
    }

    void hugeNotesAreNotWrittenAndAHugeFileIsKept()
    {
        const QByteArray huge = "{\"companyName\": \"" + QByteArray(5 << 20, 'x') + "\"}";
        ReportConfig config;
        config.defaultNotes = QString(5 << 20, 'n'); // the reader would refuse it
        QVERIFY(!saveReportConfig(config));
        QVERIFY(!QFile::exists(reportConfigPath()));
        writeFile(reportConfigPath(), huge);
        QCOMPARE(loadReportConfig().companyName, QString());
        QVERIFY(saveReportConfig(ReportConfig()));
        const QFileInfo info(reportConfigPath());
        const QStringList kept =
            info.dir().entryList({"reportconfig.json.unreadable-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(QFileInfo(info.dir().filePath(kept[0])).size(), huge.size());
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestReportConfig)
#include "tst_reportconfig.moc"

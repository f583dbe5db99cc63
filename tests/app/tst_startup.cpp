#include "app/startup.h"

#include "common/testsupport.h"

#include <QFontInfo>
#include <QTemporaryDir>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void startLanguage_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected");
        QTest::newRow("english in capitals")
            << QByteArray("[Language]\nSelected=ENGLISH\n") << "en_US";
        QTest::newRow("german with blanks")
            << QByteArray("[Language]\nSelected=\"  German \"\n") << "de_DE";
        QTest::newRow("a code is not a name")
            << QByteArray("[Language]\nSelected=en_US\n") << "zh_CN";
        QTest::newRow("chinese") << QByteArray("[Language]\nSelected=chinese\n") << "zh_CN";
        QTest::newRow("key missing") << QByteArray("[Other]\nSelected=english\n") << "zh_CN";
        QTest::newRow("empty file") << QByteArray() << "zh_CN";
        QTest::newRow("binary garbage") << QByteArray("\x00\xff[[[=\n\x01", 8) << "zh_CN";
        QTest::newRow("huge file")
            << QByteArray("[Language]\nSelected=english\n") + QByteArray(2 << 20, 'x') << "zh_CN";
    }

    void startLanguage()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        TestSupport::writeFile(dir.filePath("language.ini"), ini);
        const QString selected = Startup::readSelectedLanguage(dir.filePath("language.ini"));
        QCOMPARE(selected, selected.toLower().trimmed());
        QCOMPARE(Startup::startLanguageCode(selected), expected);
    }

    void missingIniStartsInChinese()
    {
        QTemporaryDir dir;
        QCOMPARE(Startup::readSelectedLanguage(dir.filePath("language.ini")), QString());
        QCOMPARE(Startup::startLanguageCode(QString()), QStringLiteral("zh_CN"));
    }

    void iconFallsBackToBuiltIn()
    {
        QTemporaryDir dir;
        QVERIFY(!Startup::applicationIcon(dir.path()).isNull());
    }

    void fontPrefersYaHeiButFallsBackToACjkFace()
    {
        const QFont font = Startup::applicationFont();
        QCOMPARE(font.families().first(), QStringLiteral("Microsoft YaHei"));
        QCOMPARE(font.pointSize(), 10);
        QVERIFY(font.families().contains(QStringLiteral("Noto Sans CJK SC")));
    }
};

LUMAURAL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

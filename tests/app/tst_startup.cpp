#include "app/instancelock.h"
#include "app/startup.h"

#include "common/testsupport.h"

#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

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

    void oneRunningCopyPerDataFolder()
    {
        QTemporaryDir data;
        QProcess other; // this binary again, as the copy started first
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMAURAL_HOLD_LOCK", data.path());
        other.setProcessEnvironment(env);
        other.start(QCoreApplication::applicationFilePath());
        QVERIFY(other.waitForReadyRead());
        QCOMPARE(other.readLine().trimmed(), QByteArray("acquired"));

        InstanceLock second(data.path());
        QCOMPARE(second.acquire(), InstanceLock::Result::AlreadyRunning);
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished());
        QCOMPARE(second.acquire(), InstanceLock::Result::Acquired); // its lock file stayed
        QCOMPARE(InstanceLock(data.path()).acquire(), InstanceLock::Result::AlreadyRunning);
    }
};

// With LUMAURAL_HOLD_LOCK set, this process takes the lock on that folder and
// dies without releasing it once its input closes, as a crashed copy would.
int main(int argc, char *argv[])
{
    TestSupport::requireIsolation();
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("LUMAURAL_HOLD_LOCK")) {
        InstanceLock lock(qEnvironmentVariable("LUMAURAL_HOLD_LOCK"));
        std::puts(lock.acquire() == InstanceLock::Result::Acquired ? "acquired" : "refused");
        std::fflush(stdout);
        std::getchar();
        std::_Exit(0);
    }
    TestStartup tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_startup.moc"

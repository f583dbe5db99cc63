#include "app/instancelock.h"
#include "app/startup.h"

#include "common/testsupport.h"

#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sched.h>
#include <sys/mount.h>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    // Started with LUMAURAL_HOLD_LOCK, this process holds the lock on that folder
    // until its input closes, then dies without releasing it, as a crash would.
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("LUMAURAL_HOLD_LOCK"))
            return;
        InstanceLock lock(qEnvironmentVariable("LUMAURAL_HOLD_LOCK"));
        if (lock.acquire() == InstanceLock::Result::Acquired)
            std::puts("lock acquired");
        std::fflush(stdout);
        std::getchar();
        std::_Exit(0);
    }

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
        QProcess other; // the copy started first: this binary in initTestCase
        other.setEnvironment(QProcess::systemEnvironment() << "LUMAURAL_HOLD_LOCK=" + data.path());
        other.start(QCoreApplication::applicationFilePath());
        QByteArray said;
        QTRY_VERIFY((said += other.readAllStandardOutput()).contains("lock acquired"));

        InstanceLock second(data.path());
        QCOMPARE(second.acquire(), InstanceLock::Result::AlreadyRunning);
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished());
        QCOMPARE(second.acquire(), InstanceLock::Result::Acquired); // its lock file stayed
        QCOMPARE(InstanceLock(data.path()).acquire(), InstanceLock::Result::AlreadyRunning);
    }

    void lockThatCannotBeMadeIsNoOtherCopy_data()
    {
        // Root writes into folders without write permission, so these are
        // made unwritable for root too.
        QTest::addColumn<bool>("readOnlyMount"); // else a path through a regular file
        QTest::newRow("read-only folder") << true;
        QTest::newRow("folder is a file") << false;
    }

    // The program still starts where it cannot lock its data folder.
    void lockThatCannotBeMadeIsNoOtherCopy()
    {
        QFETCH(bool, readOnlyMount);
        QTemporaryDir dir;
        QString data = dir.filePath("data");
        if (readOnlyMount) {
            QVERIFY(QDir().mkdir(data));
            // In a mount namespace of this thread only, as in the store tests.
            if (unshare(CLONE_NEWNS) != 0 ||
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", QFile::encodeName(data).constData(), "tmpfs", MS_RDONLY, nullptr) !=
                    0)
                QSKIP("cannot mount a read-only file system here");
        } else {
            TestSupport::writeFile(data, "not a folder");
        }
        const InstanceLock::Result result = InstanceLock(data).acquire();
        if (readOnlyMount)
            umount2(QFile::encodeName(data).constData(), MNT_DETACH);
        QCOMPARE(result, InstanceLock::Result::NotPossible);
    }
};

LUMAURAL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

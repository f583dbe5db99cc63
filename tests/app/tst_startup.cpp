#include "app/commandline.h"
#include "app/instancelock.h"
#include "app/startup.h"
#include "settings/usersettings.h"

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

    // The build tree and a portable copy keep their data beside the program; an
    // install keeps it under <prefix>/share, wherever the prefix is.
    void dataIsFoundBesideTheProgramFirst_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("languages");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("icon");
        const QString installedIcon = "share/icons/hicolor/512x512/apps/" LUMAURAL_APP_ID ".png";
        QTest::newRow("build tree")
            << QStringList{"bin/languages/zh_CN.json", "bin/language.ini", "bin/logo.ico",
                           "share/lumaural/languages/zh_CN.json", installedIcon}
            << "bin/languages"
            << "bin/language.ini"
            << "bin/logo.ico";
        QTest::newRow("installed") << QStringList{"share/lumaural/languages/zh_CN.json",
                                                  "share/lumaural/language.ini", installedIcon}
                                   << "share/lumaural/languages"
                                   << "share/lumaural/language.ini" << installedIcon;
        QTest::newRow("nothing anywhere") << QStringList{} << "bin/languages"
                                          << "bin/language.ini" << QString();
    }

    void dataIsFoundBesideTheProgramFirst()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, languages);
        QFETCH(QString, ini);
        QFETCH(QString, icon);
        QTemporaryDir prefix;
        for (const QString &file : files)
            TestSupport::writeFile(prefix.filePath(file), "x");
        const QString bin = prefix.filePath("bin");
        QCOMPARE(Startup::languageDirectory(bin), prefix.filePath(languages));
        QCOMPARE(Startup::languageIniPath(bin), prefix.filePath(ini));
        const QStringList icons = Startup::iconFiles(bin);
        QCOMPARE(icons.isEmpty() ? QString() : icons.last(),
                 icon.isEmpty() ? QString() : prefix.filePath(icon));
    }

    void theUsersChoiceComesBeforeLanguageIni_data()
    {
        QTest::addColumn<QString>("userChoice");
        QTest::addColumn<QString>("expected");
        QTest::newRow("user chose English") << "en_US"
                                            << "en_US";
        QTest::newRow("user chose Chinese over the ini's German") << "zh_CN"
                                                                  << "zh_CN";
        QTest::newRow("no choice: language.ini") << QString() << "de_DE";
    }

    void theUsersChoiceComesBeforeLanguageIni()
    {
        QFETCH(QString, userChoice);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        TestSupport::writeFile(dir.filePath("language.ini"), "[Language]\nSelected=german\n");
        UserSettings user(dir.filePath("config/lumaural.ini"));
        if (!userChoice.isEmpty())
            QVERIFY(user.setLanguageCode(userChoice));
        QCOMPARE(Startup::startLanguage(UserSettings(user.filePath()), dir.path()), expected);
    }

    void terminalOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        const int run = int(CommandLine::Action::Run);
        const int version = int(CommandLine::Action::ShowVersion);
        const int help = int(CommandLine::Action::ShowHelp);
        QTest::newRow("none") << QStringList{} << run;
        QTest::newRow("--version") << QStringList{"--version"} << version;
        QTest::newRow("-v") << QStringList{"-v"} << version;
        QTest::newRow("--help") << QStringList{"--help"} << help;
        QTest::newRow("-h") << QStringList{"-h"} << help;
        QTest::newRow("--help-all") << QStringList{"--help-all"} << help;
        QTest::newRow("Qt's -platform") << QStringList{"-platform", "offscreen"} << run;
        QTest::newRow("Qt's -reverse holds a v") << QStringList{"-reverse"} << run;
        QTest::newRow("Qt's -stylesheet holds an h") << QStringList{"-stylesheet", "a.qss"} << run;
        QTest::newRow("after a Qt option")
            << QStringList{"-platform", "xcb", "--version"} << version;
    }

    void terminalOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        arguments.prepend("lumaural");
        QCOMPARE(int(CommandLine::action(arguments)), action);
    }

    void versionAndHelpTexts()
    {
        QCOMPARE(CommandLine::versionText(), QStringLiteral("lumaural " LUMAURAL_VERSION "\n"));
        const QString help = CommandLine::helpText();
        QVERIFY(help.contains("--version"));
        QVERIFY(help.contains("--help"));
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

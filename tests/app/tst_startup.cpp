#include "app/commandline.h"
#include "app/instancelock.h"
#include "app/startup.h"
#include "settings/settingspage.h"
#include "settings/usersettings.h"
#include "ui/mainwindow/mainwindow.h"

#include "../records/pagedriver.h"

#include <QFileDialog>
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
        const QList<QPair<const char *, const char *>> rows{
            {"[Language]\nSelected=ENGLISH\n", "en_US"},
            {"[Language]\nSelected=\"  German \"\n", "de_DE"},
            {"[Language]\nSelected=en_US\n", "zh_CN"}, // a code is not a name
            {"[Language]\nSelected=chinese\n", "zh_CN"},
            {"[Other]\nSelected=english\n", "zh_CN"},
            {"", "zh_CN"}};
        for (const auto &[ini, code] : rows)
            QTest::newRow(ini) << QByteArray(ini) << code;
        QTest::newRow("no file") << QByteArray() << "zh_CN";
        QTest::newRow("binary garbage") << QByteArray("\x00\xff[[[=\n\x01", 8) << "zh_CN";
        QTest::newRow("huge file")
            << QByteArray("[Language]\nSelected=english\n") + QByteArray(2 << 20, 'x') << "zh_CN";
    }

    void startLanguage()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        if (!ini.isNull())
            TestSupport::writeFile(dir.filePath("language.ini"), ini);
        const QString selected = Startup::readSelectedLanguage(dir.filePath("language.ini"));
        QCOMPARE(selected, selected.toLower().trimmed());
        QCOMPARE(Startup::startLanguageCode(selected), expected);
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
        // language.ini says German.
        QTest::newRow("user chose English") << "en_US" << QStringLiteral("en_US");
        QTest::newRow("user chose Chinese") << "zh_CN" << QStringLiteral("zh_CN");
        QTest::newRow("no choice: language.ini") << QString() << QStringLiteral("de_DE");
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
        using A = CommandLine::Action;
        // Qt's own -reverse holds a v, its -stylesheet an h.
        const QList<QPair<QStringList, A>> rows{
            {{}, A::Run},
            {{"--version"}, A::ShowVersion},
            {{"-v"}, A::ShowVersion},
            {{"--help"}, A::ShowHelp},
            {{"-h"}, A::ShowHelp},
            {{"--help-all"}, A::ShowHelp},
            {{"-platform", "offscreen"}, A::Run},
            {{"-reverse"}, A::Run},
            {{"-stylesheet", "a.qss"}, A::Run},
            {{"-platform", "xcb", "--version"}, A::ShowVersion}};
        for (const auto &[arguments, action] : rows)
            QTest::newRow(qPrintable(arguments.join(' '))) << arguments << int(action);
    }

    void terminalOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        arguments.prepend("lumaural");
        QCOMPARE(int(CommandLine::action(arguments)), action);
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

    // The choices made on the settings page come back at the next start.
    void languageResolutionAndPhotoFolderComeBack()
    {
        QVERIFY(useShippedLanguage("zh_CN"));
        QTemporaryDir photos;
        {
            MainWindow window;
            SettingsPage *page = window.settingsPage();
            QComboBox *languages = child<QComboBox>(*page, "languageCombo");
            languages->setCurrentIndex(languages->findData("en_US"));
            QComboBox *resolutions = child<QComboBox>(*page, "resolutionCombo");
            // Before any device answered, the list already shows 1920×1080.
            resolutions->setCurrentIndex(resolutions->findData("640*480"));
            resolutions->setCurrentIndex(resolutions->findData("1920*1080"));
            whenModalShown<QFileDialog>([&photos](QFileDialog *dialog) {
                dialog->setDirectory(photos.path());
                static_cast<QDialog *>(dialog)->accept(); // the file dialog's own check
            });
            child<QPushButton>(*page, "changeFolderButton")->click();
            QCOMPARE(window.photoFolder(), photos.path());
        }

        // The next start: a new process begins in Chinese and reads the file.
        LangManager::instance()->setLanguage("zh_CN");
        const UserSettings kept(UserSettings::standardFilePath());
        QCOMPARE(kept.languageCode(), QStringLiteral("en_US"));
        QCOMPARE(kept.photoFolder(), photos.path());
        QCOMPARE(kept.resolution(), QStringLiteral("1920*1080"));
        Startup::prepare(kept);
        QCOMPARE(LangManager::instance()->currentLanguage(), QStringLiteral("en_US"));
        MainWindow again;
        QCOMPARE(again.photoFolder(), photos.path());
        QCOMPARE(child<QLineEdit>(*again.settingsPage(), "photoPathEdit")->text(),
                 QDir::toNativeSeparators(photos.path()));
        QCOMPARE(child<QComboBox>(*again.settingsPage(), "languageCombo")->currentData(),
                 QVariant("en_US"));
        // Sent to the device after each connection (tested with a device elsewhere).
        QCOMPARE(again.chosenResolution(), QStringLiteral("1920*1080"));
        QCOMPARE(child<QComboBox>(*again.settingsPage(), "resolutionCombo")->currentData(),
                 QVariant("1920*1080"));
    }

    // A folder on a share that is not mounted must not be made on the local disk.
    void aMissingKeptFolderIsNotRecreated()
    {
        QTemporaryDir gone;
        const QString folder = gone.filePath("share/photos");
        QVERIFY(UserSettings::instance().setPhotoFolder(folder));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Kept photo folder .* is missing"));
        MainWindow window;
        QVERIFY(window.photoFolder() != folder);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(UserSettings(UserSettings::standardFilePath()).photoFolder(), folder);
    }
};

LUMAURAL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

#include "app/startup.h"
#include "settings/usersettings.h"

#include "common/testsupport.h"

#include <QDir>
#include <QTemporaryDir>

class TestUserSettings : public QObject
{
    Q_OBJECT

private slots:
    void choicesComeBackAtTheNextStart_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("iniValue"); // what language.ini's reader sees
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("resolution");
        QTest::newRow("english") << "en_US"
                                 << "english"
                                 << "/srv/clinic/photos"
                                 << "1920*1080";
        QTest::newRow("german") << "de_DE"
                                << "german"
                                << "/home/a/Bilder"
                                << "320*240";
        QTest::newRow("chinese") << "zh_CN"
                                 << "chinese"
                                 << "/home/a/图片/耳镜"
                                 << "640*480";
        QTest::newRow("another pack") << "fr_FR"
                                      << "fr_fr"
                                      << "/x"
                                      << "1280*720";
        QTest::newRow("quotes, commas, semicolons") << "en_US"
                                                    << "english"
                                                    << R"(/a "b", c; d # e = f)"
                                                    << "640*480";
        QTest::newRow("backslashes and blanks at the ends") << "en_US"
                                                            << "english"
                                                            << R"(/ lead\trail\\ )"
                                                            << "640*480";
        QTest::newRow("share path") << "de_DE"
                                    << "german"
                                    << "//server/share/photos"
                                    << "640*480";
    }

    void choicesComeBackAtTheNextStart()
    {
        QFETCH(QString, language);
        QFETCH(QString, iniValue);
        QFETCH(QString, folder);
        QFETCH(QString, resolution);
        QTemporaryDir dir;
        const QString path = dir.filePath("config/lumaural.ini");
        {
            UserSettings today(path);
            QVERIFY(today.setLanguageCode(language));
            QVERIFY(today.setPhotoFolder(folder));
            QVERIFY(today.setResolution(resolution));
            QVERIFY(today.sharpestCapture());
            QVERIFY(today.setSharpestCapture(false));
        }
        const UserSettings tomorrow(path);
        QVERIFY(!tomorrow.sharpestCapture());
        QVERIFY(!tomorrow.ignoredFile());
        QCOMPARE(tomorrow.languageCode(), language);
        QCOMPARE(tomorrow.photoFolder(), QDir::cleanPath(folder));
        QCOMPARE(tomorrow.resolution(), resolution);
        // The same group and key as language.ini.
        QCOMPARE(Startup::readSelectedLanguage(path), iniValue);
    }

    void backupScheduleComesBackAtTheNextStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("lumaural.ini");
        const QDateTime last(QDate(2026, 3, 1), QTime(8, 30));
        {
            UserSettings today(path);
            QVERIFY(today.setResolution("640*480"));
            QVERIFY(!today.setBackupSchedule("hourly", "/srv/backups", 3));
            QVERIFY(!today.setBackupSchedule("daily", "backups", 3));
            QVERIFY(!today.setBackupSchedule("daily", "/srv/backups", 0));
            QVERIFY(today.setBackupSchedule("weekly", "/srv/clinic backups/", 5));
            QVERIFY(today.setLastBackup(last));
        }
        const UserSettings tomorrow(path);
        QVERIFY(!tomorrow.ignoredFile());
        QCOMPARE(tomorrow.backupPeriod(), QStringLiteral("weekly"));
        QCOMPARE(tomorrow.backupFolder(), QStringLiteral("/srv/clinic backups"));
        QCOMPARE(tomorrow.backupKeep(), 5);
        QCOMPARE(tomorrow.lastBackup(), last);
        QCOMPARE(tomorrow.resolution(), QStringLiteral("640*480"));
    }

    void valuesThatCannotBeKeptAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("relative folder") << "folder"
                                         << "photos";
        QTest::newRow("folder with a line break") << "folder"
                                                  << "/a\nb";
        QTest::newRow("unknown resolution") << "resolution"
                                            << "1024*768";
        QTest::newRow("resolution as shown") << "resolution"
                                             << "1920×1080";
        QTest::newRow("no language") << "language"
                                     << "";
        QTest::newRow("not a language code") << "language"
                                             << "@Invalid()";
    }

    void valuesThatCannotBeKeptAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        UserSettings settings(dir.filePath("lumaural.ini"));
        const bool kept = key == "folder"       ? settings.setPhotoFolder(value)
                          : key == "resolution" ? settings.setResolution(value)
                                                : settings.setLanguageCode(value);
        QVERIFY(!kept);
        QVERIFY(!QFileInfo::exists(settings.filePath()));
    }

    void damagedOrForeignFileIsIgnoredAndKeptAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray("\x00\xff[[[=\n\x01", 8);
        QTest::newRow("broken UTF-8") << QByteArray("[Language]\nSelected=\xc3\x28\n");
        QTest::newRow("too large")
            << QByteArray("[Language]\nSelected=english\n") + QByteArray(128 * 1024, ';');
        QTest::newRow("another program's file") << QByteArray("[General]\nwindow=3\n"
                                                              "[Language]\nSelected=english\n");
        QTest::newRow("JSON") << QByteArray("{\"Language\": {\"Selected\": \"english\"}}\n");
    }

    void damagedOrForeignFileIsIgnoredAndKeptAside()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("lumaural.ini");
        TestSupport::writeFile(path, bytes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring settings file"));
        UserSettings settings(path);
        QVERIFY(settings.ignoredFile());
        QCOMPARE(settings.languageCode(), QString());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Kept ignored settings file"));
        QVERIFY(settings.setResolution("640*480"));
        const QStringList kept = QDir(dir.path()).entryList({"lumaural.ini.ignored-*"});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(TestSupport::readFile(dir.filePath(kept.first())), bytes);
        const UserSettings next(path);
        QVERIFY(!next.ignoredFile());
        QCOMPARE(next.resolution(), QStringLiteral("640*480"));
    }

    void badValuesInAGoodFileAreDroppedOneByOne()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("lumaural.ini");
        TestSupport::writeFile(path, "[Language]\nSelected=German\n[Paths]\nPhotoFolder=rel/dir\n"
                                     "[Device]\nResolution=99*99\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring photo folder"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring resolution"));
        const UserSettings settings(path);
        QVERIFY(!settings.ignoredFile());
        QCOMPARE(settings.languageCode(), QStringLiteral("de_DE"));
        QCOMPARE(settings.photoFolder(), QString());
        QCOMPARE(settings.resolution(), QString());
    }

    void aFailedSaveSaysSo()
    {
        QTemporaryDir dir;
        TestSupport::writeFile(dir.filePath("blocked"), "a file where the folder should be");
        UserSettings settings(dir.filePath("blocked/lumaural.ini"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot save settings"));
        QVERIFY(!settings.setLanguageCode("en_US"));
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"

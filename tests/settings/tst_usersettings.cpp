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
        const QList<QStringList> rows{
            {"en_US", "english", "/srv/clinic/photos", "1920*1080"},
            {"de_DE", "german", "/home/a/Bilder", "320*240"},
            {"zh_CN", "chinese", "/home/a/图片/耳镜", "640*480"},
            {"fr_FR", "fr_fr", "/x", "1280*720"}, // another pack
            {"en_US", "english", R"(/a "b", c; d # e = f)", "640*480"},
            {"en_US", "english", R"(/ lead\trail\\ )", "640*480"}, // blanks at the ends
            {"de_DE", "german", "//server/share/photos", "640*480"}};
        for (const QStringList &row : rows)
            QTest::newRow(qPrintable(row[2])) << row[0] << row[1] << row[2] << row[3];
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
            QVERIFY(!today.setViewOrientation(45, false));
            QVERIFY(today.setViewOrientation(270, true));
        }
        const UserSettings tomorrow(path);
        QVERIFY(!tomorrow.ignoredFile());
        QCOMPARE(tomorrow.backupPeriod(), QStringLiteral("weekly"));
        QCOMPARE(tomorrow.backupFolder(), QStringLiteral("/srv/clinic backups"));
        QCOMPARE(tomorrow.backupKeep(), 5);
        QCOMPARE(tomorrow.lastBackup(), last);
        QCOMPARE(tomorrow.resolution(), QStringLiteral("640*480"));
        QCOMPARE(tomorrow.viewRotation(), 270);
        QVERIFY(tomorrow.viewMirrored());
    }

    void valuesThatCannotBeKeptAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QList<QStringList> rows{{"folder", "photos"},       {"folder", "/a\nb"},
                                      {"resolution", "1024*768"}, {"resolution", "1920×1080"},
                                      {"language", ""},           {"language", "@Invalid()"}};
        for (const QStringList &row : rows)
            QTest::newRow(qPrintable(row.join(": "))) << row[0] << row[1];
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
        TestSupport::writeFile(path,
                               "[Language]\nSelected=German\n[Paths]\nPhotoFolder=rel/dir\n"
                               "[Device]\nResolution=99*99\n[View]\nRotation=100\nMirrored=true\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring photo folder"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring the view orientation"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ignoring resolution"));
        const UserSettings settings(path);
        QVERIFY(!settings.ignoredFile());
        QCOMPARE(settings.languageCode(), QStringLiteral("de_DE"));
        QCOMPARE(settings.photoFolder(), QString());
        QCOMPARE(settings.resolution(), QString());
        QVERIFY(settings.viewRotation() == 0 && !settings.viewMirrored());
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

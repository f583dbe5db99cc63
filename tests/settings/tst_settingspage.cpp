// The settings page, its about panel, the about page, the backup controls and
// their wiring in the main window, against the isolated test home; the user's
// settings file.
#include "app/startup.h"
#include "backup/backgroundbackup.h"
#include "backup/backupschedule.h"
#include "backup/backupstatus.h"
#include "records/store/recordstore.h"
#include "records/store/reportconfig.h"
#include "settings/aboutpage.h"
#include "settings/aboutpanel.h"
#include "settings/settingspage.h"
#include "settings/usersettings.h"
#include "ui/mainwindow/mainwindow.h"

#include "../records/pagedriver.h"

#include <QDialog>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWheelEvent>

#include <optional>

namespace {

QJsonObject shippedPack(const QString &code)
{
    QFile file(QStringLiteral(LUMAURAL_SOURCE_DIR "/i18n/languages/%1.json").arg(code));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no pack %s", qPrintable(code));
    return QJsonDocument::fromJson(file.readAll()).object();
}

QStringList shownTexts(const QWidget &page)
{
    QStringList texts;
    for (const QLabel *label : page.findChildren<QLabel *>())
        texts << label->text();
    for (const QPushButton *button : page.findChildren<QPushButton *>())
        texts << button->text();
    return texts;
}

QList<Customer> orders(const QStringList &names)
{
    QList<Customer> list;
    for (const QString &name : names) {
        Customer c;
        c.id = int(list.size()) + 1;
        c.name = name;
        c.createdAt = QStringLiteral("2026-03-0%1T09:00:00").arg(list.size() + 1);
        list.append(c);
    }
    return list;
}

QStringList names(const QList<Customer> &list)
{
    QStringList result;
    for (const Customer &c : list)
        result.append(c.name);
    return result;
}

} // namespace

class TestSettingsPage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_out;

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("zh_CN")); }
    void init() { QFile::remove(reportConfigPath()); }

    void onlyUserChoicesAreSignalled()
    {
        SettingsPage page;
        QSignalSpy resolution(&page, &SettingsPage::resolutionSelected);
        QSignalSpy language(&page, &SettingsPage::languageSelected);
        auto *resolutions = child<QComboBox>(page, "resolutionCombo");
        auto *languages = child<QComboBox>(page, "languageCombo");
        page.setCurrentValues("640×480", "en_US", "/p");
        page.setCurrentValues("7×7", "xx", "/p"); // unknown: resolution stays, language item 0
        QCOMPARE(resolutions->currentText(), QStringLiteral("640×480"));
        QCOMPARE(languages->currentIndex(), 0);
        page.setCurrentValues(QString(), "zh_CN", "/photos");
        QCOMPARE(resolutions->currentText(), QStringLiteral("1920×1080"));
        QCOMPARE(child<QLineEdit>(page, "photoPathEdit")->text(), QStringLiteral("/photos"));

        resolutions->setCurrentIndex(3); // already shown
        resolutions->setCurrentIndex(1);
        QCOMPARE(resolution.size(), 1);
        QCOMPARE(resolution.at(0), (QVariantList{"640*480", "640×480"}));

        // The host switches the language; the rebuilt combo emits nothing more.
        connect(&page, &SettingsPage::languageSelected, LangManager::instance(),
                &LangManager::setLanguage);
        languages->setCurrentIndex(languages->findData("de_DE"));
        QCOMPARE(language.size(), 1);
        QCOMPARE(LangManager::instance()->currentLanguage(), QStringLiteral("de_DE"));
        QCOMPARE(languages->currentData().toString(), QStringLiteral("de_DE"));
        QCOMPARE(child<QPushButton>(page, "aboutButton")->text(), QStringLiteral("Über"));
        QVERIFY(useShippedLanguage("zh_CN"));
        QCOMPARE(language.size(), 1);
    }

    void reportTextsFollowTypingTrimmed_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("wrong types")
            << QByteArray(R"({"companyName": 5, "defaultNotes": "n"})") << false;
        QTest::newRow("5 MB") << QByteArray("{\"defaultNotes\": \"") + QByteArray(5 << 20, 'x') +
                                     "\"}"
                              << true;
    }

    void reportTextsFollowTypingTrimmed()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, keptAside);
        const QString dir = QFileInfo(reportConfigPath()).absolutePath();
        for (const QString &name : QDir(dir).entryList({"reportconfig.json.*"}))
            QFile::remove(dir + "/" + name);
        if (!stored.isNull())
            TestSupport::writeFile(reportConfigPath(), stored);
        SettingsPage page;
        QCOMPARE(TestSupport::readFile(reportConfigPath()), stored); // loading writes nothing
        auto *company = child<QLineEdit>(page, "companyNameEdit");
        QVERIFY(company->text().isEmpty());
        QTest::keyClicks(company, " <b>A&B ");
        QTest::keyClicks(child<QLineEdit>(page, "reportTitleEdit"), "  Title  ");
        QCOMPARE(company->text(), QStringLiteral(" <b>A&B "));
        const ReportConfig config = loadReportConfig();
        QCOMPARE(config.companyName, QStringLiteral("<b>A&B"));
        QCOMPARE(config.reportTitle, QStringLiteral("Title"));
        QCOMPARE(config.defaultNotes, QString(stored.contains("\"n\"") ? "n" : ""));
        QCOMPARE(QDir(dir).entryList({"reportconfig.json.unreadable-*"}).size(), keptAside ? 1 : 0);
    }

    void mainWindowActsOnTheChoices()
    {
        MainWindow window;
        SettingsPage *page = window.settingsPage();
        child<QComboBox>(*page, "resolutionCombo")->setCurrentIndex(2);
        QCOMPARE(window.resolutionText(), QStringLiteral("1280×720"));
        auto *languages = child<QComboBox>(*page, "languageCombo");
        languages->setCurrentIndex(languages->findData("en_US"));
        QCOMPARE(LangManager::instance()->currentLanguage(), QStringLiteral("en_US"));
        QCOMPARE(window.findChild<QLabel *>("orderText")->text(), QStringLiteral("Orders"));

        window.pageStack()->setCurrentIndex(5);
        child<QPushButton>(*window.aboutPage(), "aboutBackBtn")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QVERIFY(useShippedLanguage("zh_CN"));
    }

    void aFailedSaveIsToldOnce_data()
    {
        QTest::addColumn<bool>("folder"); // else writes fail, as on a full disk
        QTest::addColumn<QString>("told");
        QTest::newRow("folder in its place")
            << true << QStringLiteral("reportconfig.json 暂时无法读取；文件保持不变。");
        QTest::newRow("full disk") << false << QStringLiteral("报告设置无法保存，请检查磁盘空间。");
    }

    // However many keystrokes fail to be saved, the window tells the user once.
    void aFailedSaveIsToldOnce()
    {
        QFETCH(bool, folder);
        QDir(reportConfigPath()).removeRecursively(); // left by a failed row
        if (folder)
            QVERIFY(QDir().mkpath(reportConfigPath()));
        MainWindow window;
        window.show();
        QStringList told;
        QTimer answering;
        connect(&answering, &QTimer::timeout, &window, [&] {
            auto *prompt = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!prompt || !prompt->isVisible())
                return;
            told.append(child<QLabel>(*prompt, "promptText")->text());
            prompt->accept();
        });
        answering.start(10);
        std::optional<TestSupport::FileSizeLimit> limit;
        if (!folder)
            limit.emplace(8);
        window.pageStack()->setCurrentWidget(window.settingsPage());
        // Key by key, each handled before the next, as when the user types.
        for (const char *field : {"companyNameEdit", "reportTitleEdit"}) {
            for (const char key : {'a', 'b'}) {
                QTest::keyClick(child<QLineEdit>(*window.settingsPage(), field), key);
                bool handled = false;
                QTimer::singleShot(50, &window, [&] { handled = true; });
                QTRY_VERIFY(handled && !QApplication::activeModalWidget());
            }
        }
        limit.reset();
        QCOMPARE(told, QStringList{told.value(0)});
        QTEST(told.value(0), "told");
        if (folder)
            QVERIFY(QDir(reportConfigPath()).removeRecursively());
        else
            QCOMPARE(loadReportConfig().reportTitle, QString()); // nothing half written
    }

    // Every text of the about page follows a switch of the language; the Qt
    // notice links the licence and shows names as plain text.
    void aboutPageAndPanelFollowTheLanguage()
    {
        QVERIFY(useShippedLanguage("en_US"));
        AboutPage page;
        QVERIFY(useShippedLanguage("de_DE"));
        const QJsonObject pack = shippedPack("de_DE");
        const QStringList shown = shownTexts(page);
        const QStringList keys = pack.keys().filter(QRegularExpression("^about\\.")) +
                                 QStringList{"common.back.with_icon", "app.title"};
        QVERIFY(keys.size() > 5);
        for (const QString &key : keys)
            QVERIFY2(shown.contains(pack.value(key).toString()), qPrintable(key + " not shown"));
        QSignalSpy back(&page, &AboutPage::backRequested);
        child<QPushButton>(page, "aboutBackBtn")->click();
        QCOMPARE(back.size(), 1);

        QWidget host;
        host.resize(1100, 720);
        AboutPanel panel(&host);
        QVERIFY(panel.noticeView()->toHtml().contains(
            "href=\"https://www.gnu.org/licenses/lgpl-3.0.html\""));
        const QString notice = panel.noticeView()->toPlainText();
        QVERIFY(notice.contains("Qt") && notice.contains("LGPL") && notice.contains("3"));
        QVERIFY(AboutPanel::noticeHtml("<b>x</b>").contains("&lt;b&gt;"));
        QVERIFY(useShippedLanguage("zh_CN"));
    }

    // Binary distributions of libjpeg-turbo must say that the software is based
    // in part on the work of the Independent JPEG Group.
    void namesTheLibrariesLinkedInEveryLanguage_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("built-in texts") << QString();
        QTest::newRow("zh_CN") << "zh_CN";
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("de_DE") << "de_DE";
    }

    void namesTheLibrariesLinkedInEveryLanguage()
    {
        QFETCH(QString, code);
        const QJsonObject pack = code.isEmpty() ? QJsonObject() : shippedPack(code);
        const auto text = [&](const QString &key) {
            return code.isEmpty() ? QString() : pack.value(key).toString();
        };
        QString components = text("about.third_party.body");
        QString notice = text("settings.about_qt_license");
        if (code.isEmpty()) {
            // A pack without texts: every text is its built-in default.
            QTemporaryDir empty;
            TestSupport::writeFile(empty.filePath("zh_CN.json"),
                                   R"({"meta.code": "zh_CN", "meta.name": "zh"})");
            QVERIFY(LangManager::instance()->loadLanguagePacks(empty.path()));
            {
                AboutPage page;
                AboutPanel panel(&page);
                components = shownTexts(page).filter("libjpeg").value(0);
                notice = panel.noticeView()->toPlainText();
            }
            QVERIFY(
                LangManager::instance()->loadLanguagePacks(LUMAURAL_SOURCE_DIR "/i18n/languages"));
        }
        for (const QString &said : {components, notice}) {
            QVERIFY2(said.contains("libjpeg-turbo"), qPrintable(said));
            QVERIFY2(said.contains("Independent JPEG Group"), qPrintable(said));
            QVERIFY2(said.contains("BSD"), qPrintable(said));
            QVERIFY2(said.contains("LGPL"), qPrintable(said));
            QVERIFY2(said.contains("libarchive") &&
                         (said.contains("BSD 2") || said.contains("2-clause BSD") ||
                          said.contains("BSD-2-Clause") || said.contains("2 Klauseln")),
                     qPrintable(said));
        }
    }

    void backUpThenRestoreReplacesTheRecords()
    {
        QVERIFY(saveCustomers(orders({"Ada", "Bo"})));
        SettingsPage page;
        const QString archive = m_out.filePath("manual.tar");
        auto saved = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(page.backUpTo(archive));
        QVERIFY(saved->text.contains("manual.tar"));

        QVERIFY(saveCustomers(orders({"Cy"})));
        QCOMPARE(names(loadCustomers()), QStringList{"Cy"});
        QSignalSpy restored(&page, &SettingsPage::recordsRestored);
        std::shared_ptr<TestSupport::PromptRecord> done;
        connect(&page, &SettingsPage::recordsRestored, this,
                [&] { done = TestSupport::answerNextPrompt(TestSupport::Answer::Ok); });
        auto asked = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(page.restoreFrom(archive));
        QVERIFY2(asked->text.contains("2") && asked->text.contains("2026.03.01") &&
                     asked->text.contains("2026.03.02"),
                 qPrintable(asked->text));
        QCOMPARE(asked->highlighted, asked->buttons.first()); // Cancel, for a hurried Enter
        QCOMPARE(restored.size(), 1);
        // The store read the restored file, not what it held of the one replaced.
        QCOMPARE(names(loadCustomers()), (QStringList{"Ada", "Bo"}));
    }

    void refusedArchiveChangesNothing()
    {
        QVERIFY(saveCustomers(orders({"Ada", "Bo"})));
        const QString archive = m_out.filePath("foreign.tar");
        TestSupport::writeFile(archive, QByteArray(4096, 'z'));
        const QByteArray before = TestSupport::readFile(customersFilePath());
        SettingsPage page;
        QSignalSpy restored(&page, &SettingsPage::recordsRestored);
        auto told = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(!page.restoreFrom(archive));
        QCOMPARE(told->text, BackupStatus(BackupStatus::NotAnArchive).message());
        QCOMPARE(restored.size(), 0);
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);
    }

    void automaticBackupRunsWhenDueAndPrunes()
    {
        QVERIFY(saveCustomers(orders({"Ada", "Bo"})));
        const QString folder = m_out.filePath("auto");
        QVERIFY(QDir().mkpath(folder));
        for (const char *old :
             {"lumaural-backup-20200101-000000.tar", "lumaural-backup-20200102-000000.tar"})
            TestSupport::writeFile(folder + "/" + old, "old");
        QVERIFY(UserSettings::instance().setBackupSchedule("weekly", folder, 2));
        SettingsPage page;
        // The wheel scrolling the page over the keep field must not change it.
        auto *keep = child<QSpinBox>(page, "autoBackupKeepSpin");
        QWheelEvent wheel(QPointF(5, 5), keep->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(keep, &wheel);
        QCOMPARE(keep->value(), 2);
        const QDateTime now = QDateTime::currentDateTime();
        QSignalSpy finished(page.backgroundBackup(), &BackgroundBackup::finished);
        QVERIFY(page.startAutomaticBackupIfDue(now));
        QVERIFY(!page.startAutomaticBackupIfDue(now)); // one at a time
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().value<BackupStatus>().isOk());
        const QFileInfoList kept = BackupSchedule::backupsIn(folder);
        QCOMPARE(kept.size(), 2);
        QVERIFY(UserSettings::instance().lastBackup().isValid());
        QVERIFY(!page.startAutomaticBackupIfDue(now.addDays(6)));
        QVERIFY(page.startAutomaticBackupIfDue(now.addDays(7)));
        page.backgroundBackup()->cancel();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.last().first().value<BackupStatus>().code(), BackupStatus::Cancelled);
        QCOMPARE(QDir(folder).entryList({"*.partial"}, QDir::Files).size(), 0);
    }

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

LUMAURAL_TEST_MAIN(TestSettingsPage)
#include "tst_settingspage.moc"

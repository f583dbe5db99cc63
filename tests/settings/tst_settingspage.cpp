// The settings page, its about panel, the about page and their wiring in the main window.
#include "records/store/reportconfig.h"
#include "settings/aboutpage.h"
#include "settings/aboutpanel.h"
#include "settings/settingspage.h"
#include "ui/mainwindow/mainwindow.h"

#include "../records/pagedriver.h"

#include <QDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStackedWidget>
#include <QTextBrowser>

#include <csignal>
#include <sys/resource.h>

namespace {

QComboBox *combo(SettingsPage &page, const char *name)
{
    return child<QComboBox>(page, name);
}

} // namespace

class TestSettingsPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("zh_CN")); }
    void init() { QFile::remove(reportConfigPath()); }

    void onlyUserChoicesAreSignalled()
    {
        SettingsPage page;
        QSignalSpy resolution(&page, &SettingsPage::resolutionSelected);
        QSignalSpy language(&page, &SettingsPage::languageSelected);
        page.setCurrentValues("640×480", "en_US", "/p");
        page.setCurrentValues("7×7", "xx", "/p"); // unknown: resolution stays, language item 0
        QCOMPARE(combo(page, "resolutionCombo")->currentText(), QStringLiteral("640×480"));
        QCOMPARE(combo(page, "languageCombo")->currentIndex(), 0);
        page.setCurrentValues(QString(), "zh_CN", "/photos");
        QCOMPARE(combo(page, "resolutionCombo")->currentText(), QStringLiteral("1920×1080"));
        QCOMPARE(child<QLineEdit>(page, "photoPathEdit")->text(), QStringLiteral("/photos"));

        combo(page, "resolutionCombo")->setCurrentIndex(3); // already shown
        combo(page, "resolutionCombo")->setCurrentIndex(1);
        QCOMPARE(resolution.size(), 1);
        QCOMPARE(resolution.at(0), (QVariantList{"640*480", "640×480"}));

        // The host switches the language; the rebuilt combo emits nothing more.
        connect(&page, &SettingsPage::languageSelected, LangManager::instance(),
                &LangManager::setLanguage);
        QComboBox *languages = combo(page, "languageCombo");
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
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("array") << QByteArray("[1]") << true;
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

    void aboutPanelSizesAndNotice_data()
    {
        QTest::addColumn<QString>("code");
        for (const char *code : {"zh_CN", "en_US", "de_DE"})
            QTest::newRow(code) << code;
    }

    void aboutPanelSizesAndNotice()
    {
        QFETCH(QString, code);
        QVERIFY(useShippedLanguage(code));
        QCOMPARE(AboutPanel::panelSize({1100, 720}), QSize(740, 460));
        QCOMPARE(AboutPanel::panelSize({500, 300}), QSize(520, 320));
        QWidget host;
        host.resize(1100, 720);
        AboutPanel panel(&host);
        const QString html = panel.noticeView()->toHtml();
        QVERIFY(html.contains("href=\"https://www.gnu.org/licenses/lgpl-3.0.html\""));
        const QString notice = panel.noticeView()->toPlainText();
        QVERIFY(notice.contains("Qt") && notice.contains("LGPL") && notice.contains("3"));
        QVERIFY(AboutPanel::noticeHtml("<b>x</b>").contains("&lt;b&gt;"));
        AboutPage about;
        QSignalSpy back(&about, &AboutPage::backRequested);
        auto *backButton = child<QPushButton>(about, "aboutBackBtn");
        QCOMPARE(backButton->text(), uiText("common.back.with_icon", "?"));
        backButton->click();
        QCOMPARE(back.size(), 1);
        QVERIFY(useShippedLanguage("zh_CN"));
        QCOMPARE(backButton->text(), QStringLiteral("◀ 返回"));
    }

    void mainWindowActsOnTheChoices()
    {
        MainWindow window;
        SettingsPage *page = window.settingsPage();
        QCOMPARE(window.pageStack()->indexOf(page), 6);
        QCOMPARE(window.pageStack()->indexOf(window.aboutPage()), 5);
        QCOMPARE(child<QLineEdit>(*page, "photoPathEdit")->text(),
                 QDir::toNativeSeparators(window.photoFolder()));
        combo(*page, "resolutionCombo")->setCurrentIndex(2);
        QCOMPARE(window.resolutionText(), QStringLiteral("1280×720"));
        QComboBox *languages = combo(*page, "languageCombo");
        languages->setCurrentIndex(languages->findData("en_US"));
        QCOMPARE(LangManager::instance()->currentLanguage(), QStringLiteral("en_US"));
        QCOMPARE(window.findChild<QLabel *>("orderText")->text(), QStringLiteral("Orders"));
        QCOMPARE(languages->currentData().toString(), QStringLiteral("en_US"));

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
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (!folder) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit = saved;
            limit.rlim_cur = 8;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
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
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(told, QStringList{told.value(0)});
        QTEST(told.value(0), "told");
        if (folder)
            QVERIFY(QDir(reportConfigPath()).removeRecursively());
        else
            QCOMPARE(loadReportConfig().reportTitle, QString()); // nothing half written
    }
};

LUMAURAL_TEST_MAIN(TestSettingsPage)
#include "tst_settingspage.moc"

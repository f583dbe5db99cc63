// The about page's texts in every language, and what it says about the
// libraries the program is built on.
#include "settings/aboutpage.h"
#include "settings/aboutpanel.h"

#include "../records/pagedriver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextBrowser>

namespace {

const QStringList AboutKeys{"about.title",
                            "common.back.with_icon",
                            "app.title",
                            "about.subtitle",
                            "about.qt_notice.title",
                            "about.qt_notice.body",
                            "about.lgpl_rights.title",
                            "about.lgpl_rights.body",
                            "about.third_party.title",
                            "about.third_party.body",
                            "about.copyright"};

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

} // namespace

class TestAboutPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(useShippedLanguage("zh_CN")); }

    void everyTextFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("Chinese to English") << "zh_CN"
                                            << "en_US";
        QTest::newRow("English to German") << "en_US"
                                           << "de_DE";
        QTest::newRow("German to Chinese") << "de_DE"
                                           << "zh_CN";
    }

    void everyTextFollowsTheLanguage()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QVERIFY(useShippedLanguage(from));
        AboutPage page;
        QVERIFY(useShippedLanguage(to));
        const QJsonObject pack = shippedPack(to);
        const QStringList shown = shownTexts(page);
        for (const QString &key : AboutKeys) {
            const QString expected = pack.value(key).toString();
            QVERIFY2(!expected.isEmpty(), qPrintable(key));
            QVERIFY2(shown.contains(expected), qPrintable(key + " not shown in " + to));
        }
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
};

LUMAURAL_TEST_MAIN(TestAboutPage)
#include "tst_aboutpage.moc"

#include "i18n/langmanager.h"
#include "i18n/qttranslations.h"

#include "common/testsupport.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestLangManager : public QObject
{
    Q_OBJECT

private:
    static QByteArray pack(const QString &code, const QString &name, const QString &extra = {})
    {
        return QStringLiteral(R"({"meta.code": "%1", "meta.name": "%2"%3})")
            .arg(code, name, extra.isEmpty() ? QString() : QStringLiteral(", ") + extra)
            .toUtf8();
    }

private slots:
    // Every key the program looks up is in every shipped pack, with a text,
    // and no pack carries a key that no code uses.
    void shippedPacksHoldExactlyTheUsedKeys_data()
    {
        QTest::addColumn<QString>("code");
        for (const char *code : {"zh_CN", "en_US", "de_DE"})
            QTest::newRow(code) << code;
    }

    void shippedPacksHoldExactlyTheUsedKeys()
    {
        QFETCH(QString, code);
        // Keys reach the lookup as the first literal of text(), uiText(),
        // translate() or textKey(), optionally wrapped in QStringLiteral/QLatin1String.
        const QRegularExpression call(
            QStringLiteral("\\b(?:text|uiText|translate|textKey)\\(\\s*(?:QStringLiteral\\(|"
                           "QLatin1String\\()?\\s*\"([^\"]+)\""));
        const QRegularExpression form(R"(^[a-z][a-z0-9_]*(\.[a-z0-9_]+)+$)");
        QSet<QString> used;
        for (const char *folder : {"app", "i18n", "ui", "device", "stream", "records", "reports",
                                   "settings", "backup"}) {
            QDirIterator it(QStringLiteral(LUMAURAL_SOURCE_DIR "/") + folder, {"*.cpp", "*.h"},
                            QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                auto matches =
                    call.globalMatch(QString::fromUtf8(TestSupport::readFile(it.next())));
                while (matches.hasNext())
                    used.insert(matches.next().captured(1));
            }
        }
        QVERIFY2(used.size() > 5, "the scan found almost no keys; has the lookup call changed?");
        const QJsonObject pack =
            QJsonDocument::fromJson(
                TestSupport::readFile(QStringLiteral(LUMAURAL_SOURCE_DIR "/i18n/languages/") +
                                      code + ".json"))
                .object();
        QCOMPARE(pack.value("meta.code").toString(), code);
        QVERIFY(!pack.value("meta.name").toString().trimmed().isEmpty());
        QStringList wrong;
        for (const QString &key : std::as_const(used)) {
            if (!form.match(key).hasMatch())
                wrong.append("malformed " + key);
            else if (pack.value(key).toString().isEmpty())
                wrong.append("missing or empty " + key);
        }
        for (auto it = pack.constBegin(); it != pack.constEnd(); ++it) {
            if (!it.key().startsWith("meta.") && !used.contains(it.key()))
                wrong.append("unused " + it.key());
        }
        wrong.sort();
        QVERIFY2(wrong.isEmpty(), qPrintable(code + ": " + wrong.join(", ")));
    }

    // Qt's own dialogs follow the language: the translation is switched, not
    // stacked, and English takes it away again.
    void qtTextsFollowTheLanguage()
    {
        const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(dir + "/qtbase_de.qm") || !QFile::exists(dir + "/qtbase_zh_CN.qm"))
            QSKIP("Qt's translations are not installed");
        LangManager manager;
        QtTranslations qtTexts;
        connect(&manager, &LangManager::languageChanged, &qtTexts, &QtTranslations::apply);
        const char *cancel = "Cancel";
        const auto shown = [cancel] {
            return QCoreApplication::translate("QPlatformTheme", cancel);
        };
        QVERIFY(qtTexts.apply(QStringLiteral("de_DE")));
        QCOMPARE(shown(), QStringLiteral("Abbrechen"));
        QVERIFY(qtTexts.apply(QStringLiteral("zh_CN")));
        QCOMPARE(shown(), QStringLiteral("取消"));
        manager.setLanguage(QStringLiteral("en_US"));
        QCOMPARE(shown(), QStringLiteral("Cancel"));
        QVERIFY(qtTexts.apply(QStringLiteral("de_DE")));
        QVERIFY(!qtTexts.apply(QStringLiteral("xx_YY")));
        QCOMPARE(shown(), QStringLiteral("Cancel"));
    }

    void builtInStateYieldsDefaults()
    {
        LangManager manager;
        QCOMPARE(manager.currentLanguage(), QStringLiteral("zh_CN"));
        QCOMPARE(manager.languages().size(), 2);
        QCOMPARE(manager.languages().at(0).name, QStringLiteral("中文（简体）"));
        QCOMPARE(manager.languages().at(1).code, QStringLiteral("en_US"));
        QCOMPARE(manager.text(QStringLiteral("common.back"), QStringLiteral("返回")),
                 QStringLiteral("返回"));
        QCOMPARE(manager.translate(QStringLiteral("common.back")), QStringLiteral("common.back"));
        QVERIFY(!manager.loadLanguagePacks(QStringLiteral("/no/such/folder")));
        // Without packs the switch still goes to English and back.
        manager.switchToNextLanguage();
        QCOMPARE(manager.currentLanguage(), QStringLiteral("en_US"));
        manager.switchToNextLanguage();
        QCOMPARE(manager.currentLanguage(), QStringLiteral("zh_CN"));
    }

    void lookupFallsThroughActiveThenChineseThenDefault()
    {
        QTemporaryDir dir;
        writeFile(
            dir.filePath("zh_CN.json"),
            pack(
                "zh_CN", "中文",
                R"("only.zh": "仅中文", "both": "中", "empty.en": "中空", "self.key": "self.key")"));
        writeFile(dir.filePath("en_US.json"),
                  pack("en_US", "English", R"("both": "Both", "empty.en": "", "number": 5)"));
        LangManager manager;
        QVERIFY(manager.loadLanguagePacks(dir.path()));
        manager.setLanguage(QStringLiteral("en_US"));

        QCOMPARE(manager.text("both", "d"), QStringLiteral("Both"));
        QCOMPARE(manager.text("only.zh", "d"), QStringLiteral("仅中文"));
        QCOMPARE(manager.text("empty.en", "d"), QStringLiteral("中空"));
        QCOMPARE(manager.text("nowhere", "d"), QStringLiteral("d"));
        QCOMPARE(manager.text("self.key", "d"), QStringLiteral("d"));
        QCOMPARE(manager.text("number", "d"), QStringLiteral("d"));
        QCOMPARE(manager.translate("nowhere"), QStringLiteral("nowhere"));
    }

    void loadingRules()
    {
        QTemporaryDir dir;
        // Later file by name wins the texts; both stay in the list.
        writeFile(dir.filePath("a.json"), pack("  zh_CN  ", " 中文 ", R"("k": "first")"));
        writeFile(dir.filePath("b.json"),
                  pack("zh_CN", "中文2", R"("k": "second", "nav": {"orders": "x"})"));
        writeFile(dir.filePath("c.json"), R"({"meta.code": "fr_FR"})");                // no name
        writeFile(dir.filePath("d.json"), R"({"meta.code": "  ", "meta.name": "x"})"); // blank code
        writeFile(dir.filePath("e.json"), R"(["meta.code", "xx"])");               // not an object
        writeFile(dir.filePath("f.json"), "{\"meta.code\": \"de_DE\", \"meta.na"); // truncated
        writeFile(dir.filePath("g.json"),
                  QByteArray(4096, '[') + QByteArray(4096, ']')); // too deep
        writeFile(dir.filePath("readme.txt"), pack("it_IT", "Italiano"));
        QByteArray huge = pack("en_US", "English", "\"big\": \"");
        huge.chop(1);
        writeFile(dir.filePath("h.json"),
                  huge + QByteArray(LangManager::MaxPackBytes, 'x') + "\"}");
        writeFile(dir.filePath("sub/h.json"), pack("es_ES", "Español"));

        LangManager manager;
        QVERIFY(manager.loadLanguagePacks(dir.path()));
        const auto list = manager.languages();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).code, QStringLiteral("zh_CN"));
        QCOMPARE(list.at(0).name, QStringLiteral("中文"));
        QCOMPARE(list.at(0).filePath, QFileInfo(dir.filePath("a.json")).absoluteFilePath());
        QCOMPARE(manager.text("k", "d"), QStringLiteral("second"));
        QCOMPARE(manager.text("nav.orders", "d"), QStringLiteral("d"));
        QCOMPARE(manager.text("meta.name", "d"), QStringLiteral("中文2"));
    }

    void failedLoadKeepsPreviousState()
    {
        QTemporaryDir good, noChinese, empty;
        writeFile(good.filePath("zh_CN.json"), pack("zh_CN", "中文", R"("k": "v")"));
        writeFile(good.filePath("de_DE.json"), pack("de_DE", "Deutsch"));
        writeFile(noChinese.filePath("en_US.json"), pack("en_US", "English"));
        writeFile(noChinese.filePath("de_DE.json"), pack("de_DE", "Deutsch"));

        LangManager manager;
        QVERIFY(!manager.loadLanguagePacks(noChinese.path()));
        QCOMPARE(manager.languages().at(0).name, QStringLiteral("中文（简体）"));
        QVERIFY(manager.packDirectory().isEmpty());

        QVERIFY(manager.loadLanguagePacks(good.path()));
        manager.setLanguage("de_DE");
        QVERIFY(!manager.loadLanguagePacks(empty.path()));
        QVERIFY(!manager.loadLanguagePacks(noChinese.path()));
        QCOMPARE(manager.currentLanguage(), QStringLiteral("de_DE"));
        QCOMPARE(manager.packDirectory(), QDir(good.path()).absolutePath());
        QCOMPARE(manager.text("k", "d"), QStringLiteral("v"));
    }

    void reloadFallsBackToChineseSilentlyWhenActiveCodeVanishes()
    {
        QTemporaryDir first, second;
        writeFile(first.filePath("zh_CN.json"), pack("zh_CN", "中文"));
        writeFile(first.filePath("de_DE.json"), pack("de_DE", "Deutsch"));
        writeFile(second.filePath("zh_CN.json"), pack("zh_CN", "中文"));
        LangManager manager;
        QVERIFY(manager.loadLanguagePacks(first.path()));
        manager.setLanguage("de_DE");
        QSignalSpy spy(&manager, &LangManager::languageChanged);
        QVERIFY(manager.loadLanguagePacks(second.path()));
        QCOMPARE(manager.currentLanguage(), QStringLiteral("zh_CN"));
        QCOMPARE(spy.count(), 0);
    }

    void setLanguageEmitsOnlyOnRealChange()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("zh_CN.json"), pack("zh_CN", "中文"));
        writeFile(dir.filePath("en_US.json"), pack("en_US", "English"));
        LangManager manager;
        QVERIFY(manager.loadLanguagePacks(dir.path()));
        QSignalSpy spy(&manager, &LangManager::languageChanged);
        manager.setLanguage("zh_CN");
        manager.setLanguage("fr_FR");
        manager.setLanguage("   ");
        QCOMPARE(spy.count(), 0);
        manager.setLanguage(" en_US ");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("en_US"));
        QCOMPARE(manager.currentLanguage(), QStringLiteral("en_US"));
    }

    void cycling_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected");
        // File-name order de_DE, en_US, zh_CN.
        QTest::newRow("zh wraps to first") << QStringList{"de_DE", "en_US", "zh_CN"} << "zh_CN"
                                           << "de_DE";
        QTest::newRow("de to en") << QStringList{"de_DE", "en_US", "zh_CN"} << "de_DE"
                                  << "en_US";
        QTest::newRow("single pack stays") << QStringList{"zh_CN"} << "zh_CN"
                                           << "zh_CN";
    }

    void cycling()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, start);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &code : files)
            writeFile(dir.filePath(code + ".json"), pack(code, code));
        LangManager manager;
        QVERIFY(manager.loadLanguagePacks(dir.path()));
        manager.setLanguage(start);
        manager.switchToNextLanguage();
        QCOMPARE(manager.currentLanguage(), expected);
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestLangManager)
#include "tst_langmanager.moc"

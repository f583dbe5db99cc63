// Every key the program looks up must be in every shipped pack, and no pack may
// carry a key that no code uses.
#include "common/testsupport.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

class TestPackKeys : public QObject
{
    Q_OBJECT

private:
    QSet<QString> m_usedKeys;
    const QStringList m_packs{"zh_CN", "en_US", "de_DE"};

    static QString sourceDir() { return QStringLiteral(LUMAURAL_SOURCE_DIR); }

    static QJsonObject loadPack(const QString &code)
    {
        const QByteArray bytes =
            TestSupport::readFile(sourceDir() + "/i18n/languages/" + code + ".json");
        return QJsonDocument::fromJson(bytes).object();
    }

private slots:
    void initTestCase()
    {
        // Keys reach the lookup as the first literal of text(), uiText(),
        // translate() or textKey(), optionally wrapped in QStringLiteral/QLatin1String.
        const QRegularExpression call(
            QStringLiteral("\\b(?:text|uiText|translate|textKey)\\(\\s*(?:QStringLiteral\\(|"
                           "QLatin1String\\()?\\s*\"([^\"]+)\""));
        const QStringList folders{"app",     "i18n",    "ui",       "device", "stream",
                                  "records", "reports", "settings", "backup"};
        for (const QString &folder : folders) {
            QDirIterator it(sourceDir() + "/" + folder, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString source = QString::fromUtf8(TestSupport::readFile(it.next()));
                auto matches = call.globalMatch(source);
                while (matches.hasNext())
                    m_usedKeys.insert(matches.next().captured(1));
            }
        }
        QVERIFY2(m_usedKeys.size() > 5,
                 "the scan found almost no keys; has the lookup call changed?");
    }

    void keysAreWellFormed()
    {
        const QRegularExpression form(R"(^[a-z][a-z0-9_]*(\.[a-z0-9_]+)+$)");
        for (const QString &key : std::as_const(m_usedKeys))
            QVERIFY2(form.match(key).hasMatch(), qPrintable("malformed key: " + key));
    }

    void everyPackHasEveryUsedKey_data()
    {
        QTest::addColumn<QString>("code");
        for (const QString &code : m_packs)
            QTest::newRow(qPrintable(code)) << code;
    }

    void everyPackHasEveryUsedKey()
    {
        QFETCH(QString, code);
        const QJsonObject pack = loadPack(code);
        QVERIFY2(!pack.isEmpty(), qPrintable(code + ".json is missing or not a JSON object"));
        QCOMPARE(pack.value("meta.code").toString(), code);
        QVERIFY(!pack.value("meta.name").toString().trimmed().isEmpty());

        QStringList missing, unused, empty;
        for (const QString &key : std::as_const(m_usedKeys)) {
            if (!pack.contains(key))
                missing.append(key);
            else if (pack.value(key).toString().isEmpty())
                empty.append(key);
        }
        for (auto it = pack.constBegin(); it != pack.constEnd(); ++it) {
            if (!it.key().startsWith("meta.") && !m_usedKeys.contains(it.key()))
                unused.append(it.key());
        }
        missing.sort();
        unused.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(code + " lacks: " + missing.join(", ")));
        QVERIFY2(unused.isEmpty(),
                 qPrintable(code + " holds keys no code uses: " + unused.join(", ")));
        QVERIFY2(empty.isEmpty(), qPrintable(code + " has empty texts: " + empty.join(", ")));
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestPackKeys)
#include "tst_packkeys.moc"

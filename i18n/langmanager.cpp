#include "i18n/langmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString ReferenceCode = QStringLiteral("zh_CN");
}

LangManager *LangManager::instance()
{
    // Deliberately never destroyed: texts may be looked up during static teardown.
    static LangManager *manager = new LangManager;
    return manager;
}

LangManager::LangManager(QObject *parent) : QObject(parent), m_currentCode(ReferenceCode)
{
    m_languageList = {{ReferenceCode, QStringLiteral("中文（简体）"), QString()},
                      {QStringLiteral("en_US"), QStringLiteral("English"), QString()}};
    m_packs.insert(ReferenceCode, {});
    m_packs.insert(QStringLiteral("en_US"), {});
}

bool LangManager::loadLanguagePacks(const QString &directory)
{
    QDir dir(directory);
    if (directory.isEmpty() || !dir.exists())
        return false;

    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QMap<QString, QHash<QString, QString>> packs;
    QList<LanguageInfo> list;
    for (const QString &fileName : files) {
        QFile file(dir.absoluteFilePath(fileName));
        if (file.size() > MaxPackBytes || !file.open(QIODevice::ReadOnly))
            continue;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
        if (!doc.isObject())
            continue;
        const QJsonObject root = doc.object();
        const QString code = root.value(QStringLiteral("meta.code")).toString().trimmed();
        const QString name = root.value(QStringLiteral("meta.name")).toString().trimmed();
        if (code.isEmpty() || name.isEmpty())
            continue;
        // Qt's reader drops a byte-order mark at the start of a key, so a pack
        // can hold one key twice; each key gets what Qt's lookup gives, as
        // "meta.code" did above.
        QHash<QString, QString> texts;
        for (const QString &key : root.keys()) {
            const QJsonValue value = root.value(key);
            if (value.isString())
                texts.insert(key, value.toString());
        }
        packs.insert(code, texts);
        list.append({code, name, QFileInfo(file).absoluteFilePath()});
    }

    if (packs.isEmpty() || !packs.contains(ReferenceCode))
        return false;

    m_packDirectory = dir.absolutePath();
    m_languageList = list;
    m_packs = packs;
    if (!m_packs.contains(m_currentCode))
        m_currentCode = ReferenceCode;
    return true;
}

void LangManager::setLanguage(const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty() || !m_packs.contains(trimmed) || trimmed == m_currentCode)
        return;
    m_currentCode = trimmed;
    emit languageChanged(m_currentCode);
}

void LangManager::switchToNextLanguage()
{
    if (m_languageList.size() < 2) {
        setLanguage(ReferenceCode);
        return;
    }
    qsizetype position = 0;
    for (qsizetype i = 0; i < m_languageList.size(); ++i) {
        if (m_languageList.at(i).code == m_currentCode) {
            position = i;
            break;
        }
    }
    setLanguage(m_languageList.at((position + 1) % m_languageList.size()).code);
}

QString LangManager::lookup(const QString &key) const
{
    for (const QString &code : {m_currentCode, ReferenceCode}) {
        const auto pack = m_packs.constFind(code);
        if (pack == m_packs.constEnd())
            continue;
        const QString value = pack->value(key);
        if (!value.isEmpty())
            return value;
    }
    return key;
}

QString LangManager::text(const QString &key, const QString &defaultText) const
{
    const QString result = lookup(key);
    return result == key ? defaultText : result;
}

QString LangManager::translate(const QString &key) const
{
    return lookup(key);
}

QString uiText(const QString &key, const QString &defaultText)
{
    return LangManager::instance()->text(key, defaultText);
}

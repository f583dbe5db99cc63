#pragma once

#include "i18n/languageinfo.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

// Holds the language packs, the active language and the text lookup that every
// visible text goes through. One instance per process, created on first use.
class LangManager : public QObject
{
    Q_OBJECT

public:
    // The process-wide manager every window uses; created on first call.
    static LangManager *instance();
    // A manager of its own with the built-in state (tests; the program uses instance()).
    explicit LangManager(QObject *parent = nullptr);

    // Loads every "*.json" pack directly inside `directory`. On failure (no
    // usable pack, or none with code "zh_CN") the previous state stays whole.
    bool loadLanguagePacks(const QString &directory);

    void setLanguage(const QString &code);
    QString currentLanguage() const { return m_currentCode; }
    QList<LanguageInfo> languages() const { return m_languageList; }
    QString packDirectory() const { return m_packDirectory; }
    void switchToNextLanguage();

    // The text for `key` in the active pack, else in the "zh_CN" pack, else `defaultText`.
    QString text(const QString &key, const QString &defaultText) const;
    // As text() without a default: yields the key itself when nothing is found.
    QString translate(const QString &key) const;

    // Largest pack file we read; anything bigger is not a language pack.
    static constexpr qint64 MaxPackBytes = 8 * 1024 * 1024;

signals:
    void languageChanged(const QString &languageCode);

private:
    QString lookup(const QString &key) const;

    QString m_packDirectory;
    QString m_currentCode;
    QList<LanguageInfo> m_languageList;
    QMap<QString, QHash<QString, QString>> m_packs;
};

// Shorthand for LangManager::instance()->text(key, defaultText).
QString uiText(const QString &key, const QString &defaultText);

// Marks a literal as a text key for places that hold keys in tables and look
// them up later, so the pack check still sees every key the code uses.
constexpr const char *textKey(const char *key)
{
    return key;
}

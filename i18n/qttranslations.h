#pragma once

#include <QObject>
#include <QString>

class QTranslator;

// Qt's own texts (the print dialog, the folder chooser, the buttons of
// standard dialogs) in the active language, from the translations the
// distribution ships with Qt. Follows every language switch.
class QtTranslations : public QObject
{
    Q_OBJECT

public:
    // `directory` holds the "qtbase_*.qm" files; empty: where Qt was installed.
    explicit QtTranslations(QObject *parent = nullptr, const QString &directory = QString());

    // Installs the translation for a language code such as "de_DE" or
    // "zh_CN", falling back to the bare language ("de"); a code without one
    // (English) leaves Qt's texts as they are. True when a translation is in use.
    bool apply(const QString &languageCode);

private:
    QString m_directory;
    QTranslator *m_translator = nullptr;
    bool m_installed = false;
};

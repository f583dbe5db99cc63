#include "i18n/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QtTranslations::QtTranslations(QObject *parent, const QString &directory)
    : QObject(parent),
      m_directory(directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                      : directory),
      m_translator(new QTranslator(this))
{
}

bool QtTranslations::apply(const QString &languageCode)
{
    if (m_installed) {
        QCoreApplication::removeTranslator(m_translator);
        m_installed = false;
    }
    // Qt ships no English catalogue: its source texts are English.
    const QLocale locale(languageCode.trimmed());
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return false;
    if (!m_translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), m_directory))
        return false;
    m_installed = QCoreApplication::installTranslator(m_translator);
    return m_installed;
}

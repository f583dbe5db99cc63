#include "app/startup.h"

#include "i18n/langmanager.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QSettings>

namespace {
// language.ini holds one short value; anything far larger is not that file.
constexpr qint64 MaxIniBytes = 64 * 1024;
} // namespace

QString Startup::startLanguageCode(const QString &selected)
{
    const QString value = selected.toLower().trimmed();
    if (value == QLatin1String("english"))
        return QStringLiteral("en_US");
    if (value == QLatin1String("german"))
        return QStringLiteral("de_DE");
    return QStringLiteral("zh_CN");
}

QString Startup::readSelectedLanguage(const QString &iniPath)
{
    const QFileInfo info(iniPath);
    if (!info.isFile() || info.size() > MaxIniBytes)
        return QString();
    const QSettings settings(iniPath, QSettings::IniFormat);
    return settings.value(QStringLiteral("Language/Selected")).toString().toLower().trimmed();
}

QIcon Startup::applicationIcon(const QString &applicationDir)
{
    const QString iconFile = applicationDir + QStringLiteral("/logo.ico");
    return QIcon(QFileInfo::exists(iconFile) ? iconFile : QStringLiteral(":/res/logoico.ico"));
}

QFont Startup::applicationFont()
{
    QFont font(QStringLiteral("Microsoft YaHei"), 10);
    font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("PingFang SC")});
    return font;
}

void Startup::prepare()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    QApplication::setWindowIcon(applicationIcon(appDir));
    QApplication::setFont(applicationFont());

    const QString languageDir = appDir + QStringLiteral("/languages");
    const QString selected = readSelectedLanguage(appDir + QStringLiteral("/language.ini"));
    const QString targetCode = startLanguageCode(selected);
    qDebug() << "App Directory:" << appDir;
    qDebug() << "Selected Language from INI:" << selected;
    qDebug() << "Target Code for Manager:" << targetCode;

    LangManager *manager = LangManager::instance();
    if (manager->loadLanguagePacks(languageDir)) {
        manager->setLanguage(targetCode.trimmed());
        qDebug() << "Successfully applied language:" << targetCode;
    } else {
        qDebug() << "Error: Could not load language packs from" << languageDir;
    }
}

#include "app/startup.h"

#include "i18n/langmanager.h"
#include "i18n/qttranslations.h"
#include "settings/recordslocationsection.h"
#include "settings/usersettings.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
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

QStringList Startup::dataFolders(const QString &applicationDir)
{
    return {applicationDir,
            QDir::cleanPath(applicationDir + QStringLiteral("/" LUMAURAL_DATA_FROM_BIN))};
}

QString Startup::languageDirectory(const QString &applicationDir)
{
    for (const QString &folder : dataFolders(applicationDir)) {
        const QString candidate = folder + QStringLiteral("/languages");
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return applicationDir + QStringLiteral("/languages");
}

QString Startup::languageIniPath(const QString &applicationDir)
{
    for (const QString &folder : dataFolders(applicationDir)) {
        const QString candidate = folder + QStringLiteral("/language.ini");
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return applicationDir + QStringLiteral("/language.ini");
}

QStringList Startup::iconFiles(const QString &applicationDir)
{
    const QString beside = applicationDir + QStringLiteral("/logo.ico");
    if (QFileInfo::exists(beside))
        return {beside};
    QStringList installed;
    const QString theme =
        QDir::cleanPath(applicationDir + QStringLiteral("/" LUMAURAL_ICONS_FROM_BIN));
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString file = QStringLiteral("%1/%2x%2/apps/%3.png")
                                 .arg(theme)
                                 .arg(size)
                                 .arg(QStringLiteral(LUMAURAL_APP_ID));
        if (QFileInfo::exists(file))
            installed << file;
    }
    return installed;
}

QIcon Startup::applicationIcon(const QString &applicationDir)
{
    const QStringList files = iconFiles(applicationDir);
    if (files.isEmpty())
        return QIcon(QStringLiteral(":/res/logoico.ico"));
    QIcon icon;
    for (const QString &file : files)
        icon.addFile(file);
    return icon;
}

QFont Startup::applicationFont()
{
    QFont font(QStringLiteral("Microsoft YaHei"), 10);
    font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("PingFang SC")});
    return font;
}

QString Startup::startLanguage(const UserSettings &user, const QString &applicationDir)
{
    const QString chosen = user.languageCode();
    if (!chosen.isEmpty())
        return chosen;
    return startLanguageCode(readSelectedLanguage(languageIniPath(applicationDir)));
}

void Startup::prepare()
{
    prepare(UserSettings::instance());
}

void Startup::prepare(const UserSettings &user)
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList icons = iconFiles(appDir);
    qDebug() << "Application icon:"
             << (icons.isEmpty() ? QStringLiteral(":/res/logoico.ico") : icons.last());
    QApplication::setWindowIcon(applicationIcon(appDir));
    QApplication::setFont(applicationFont());

    const QString languageDir = languageDirectory(appDir);
    const QString selected = readSelectedLanguage(languageIniPath(appDir));
    const QString targetCode = startLanguage(user, appDir);
    qDebug() << "App Directory:" << appDir;
    qDebug() << "Selected Language from INI:" << selected;
    if (!user.languageCode().isEmpty())
        qDebug() << "Language chosen by the user:" << user.languageCode() << "in"
                 << user.filePath();
    qDebug() << "Target Code for Manager:" << targetCode;

    LangManager *manager = LangManager::instance();
    if (manager->loadLanguagePacks(languageDir)) {
        QStringList codes;
        for (const LanguageInfo &language : manager->languages())
            codes << language.code;
        qDebug() << "Language packs from" << languageDir << ":" << codes.join(QLatin1Char(' '));
        manager->setLanguage(targetCode.trimmed());
        qDebug() << "Successfully applied language:" << targetCode;
        qDebug() << "Active language:" << manager->currentLanguage();
    } else {
        qDebug() << "Error: Could not load language packs from" << languageDir;
    }
    // Qt's own dialogs speak the active language too, and switch with it.
    auto *qtTexts = new QtTranslations(QCoreApplication::instance());
    QObject::connect(manager, &LangManager::languageChanged, qtTexts, &QtTranslations::apply);
    qDebug() << "Qt's own texts translated:" << qtTexts->apply(manager->currentLanguage());
    useRecordsLocation(user.recordsServer());
    if (user.recordsServer().enabled)
        qDebug() << "Records are kept on the clinic server" << user.recordsServer().host;
}

#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

class UserSettings;

// The decisions start-up makes before the main window exists.
struct Startup
{
    // "english" -> "en_US", "german" -> "de_DE", anything else -> "zh_CN";
    // `selected` is the raw "Language/Selected" value, case and blanks ignored.
    static QString startLanguageCode(const QString &selected);
    // "Language/Selected" of the INI file at `iniPath`, lower-cased and trimmed;
    // empty when the file or the key is missing.
    static QString readSelectedLanguage(const QString &iniPath);

    // Where shipped data is looked for, in order: beside the executable (a
    // build tree, a portable copy), then the data folder of the prefix the
    // executable is installed under.
    static QStringList dataFolders(const QString &applicationDir);
    // The first "languages" folder of dataFolders(), else the one beside the executable.
    static QString languageDirectory(const QString &applicationDir);
    // The first language.ini of dataFolders(), else the one beside the executable.
    static QString languageIniPath(const QString &applicationDir);
    // logo.ico beside the executable, else the installed theme pictures;
    // empty when neither exists and the built-in icon is used.
    static QStringList iconFiles(const QString &applicationDir);
    static QIcon applicationIcon(const QString &applicationDir);
    // "Microsoft YaHei" 10 pt, falling back to an installed CJK sans so that
    // Chinese never renders as boxes.
    static QFont applicationFont();
    // The language to start in: the user's own choice, else language.ini.
    static QString startLanguage(const UserSettings &user, const QString &applicationDir);

    // Icon, font, start language and language packs, with the start-up log lines.
    static void prepare(const UserSettings &user);
    // The same with the user's own settings file.
    static void prepare();
};

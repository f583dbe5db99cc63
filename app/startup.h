#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

// The decisions start-up makes before the main window exists.
struct Startup
{
    // "english" -> "en_US", "german" -> "de_DE", anything else -> "zh_CN";
    // `selected` is the raw "Language/Selected" value, case and blanks ignored.
    static QString startLanguageCode(const QString &selected);
    // "Language/Selected" of the INI file at `iniPath`, lower-cased and trimmed;
    // empty when the file or the key is missing.
    static QString readSelectedLanguage(const QString &iniPath);
    // `applicationDir`/logo.ico when present, else the built-in icon.
    static QIcon applicationIcon(const QString &applicationDir);
    // "Microsoft YaHei" 10 pt, falling back to an installed CJK sans so that
    // Chinese never renders as boxes.
    static QFont applicationFont();

    // Icon, font, start language and language packs, with the start-up log lines.
    static void prepare();
};

#pragma once

#include <QString>

// One entry of the language list: what the settings page offers.
struct LanguageInfo
{
    QString code;     // e.g. "zh_CN", the trimmed "meta.code" of the pack
    QString name;     // display name, the trimmed "meta.name"
    QString filePath; // absolute path of the pack; empty for the built-in entries
};

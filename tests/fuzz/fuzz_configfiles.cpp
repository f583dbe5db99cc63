// Language packs and the report configuration on arbitrary file content: no
// crash, a refused file leaves the defaults, an accepted one gives exactly
// its texts.
#include "i18n/langmanager.h"
#include "records/store/reportconfig.h"

#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace {

using FuzzSupport::check;

const QString Default = QStringLiteral("\x01"
                                       "default");

void checkPack(const QByteArray &content)
{
    const QString folder = FuzzSupport::scratchDirectory() + QStringLiteral("/languages");
    QDir().mkpath(folder);
    FuzzSupport::writeScratchFile(folder + QStringLiteral("/pack.json"), content);

    const QJsonDocument doc = QJsonDocument::fromJson(content);
    const QJsonObject root = doc.object();
    const QString code = root.value(QStringLiteral("meta.code")).toString().trimmed();
    const QString name = root.value(QStringLiteral("meta.name")).toString().trimmed();
    // A lone pack is used only as the reference pack.
    const bool usable = doc.isObject() && code == QLatin1String("zh_CN") && !name.isEmpty();

    LangManager manager;
    check(manager.loadLanguagePacks(folder) == usable, "pack accepted or refused wrongly");
    check(manager.currentLanguage() == QLatin1String("zh_CN"), "active language changed");
    if (!usable) {
        check(manager.languages().size() == 2 && manager.packDirectory().isEmpty(),
              "a refused pack changed the language list");
        for (auto it = root.constBegin(); it != root.constEnd(); ++it)
            check(manager.text(it.key(), Default) == Default, "a refused pack gives texts");
        return;
    }
    check(manager.languages().size() == 1 && manager.languages().first().name == name,
          "language list of an accepted pack");
    // Keys through Qt's lookup: its reader can leave one key twice (a
    // byte-order mark at a key's start is dropped).
    for (const QString &key : root.keys()) {
        const QJsonValue value = root.value(key);
        const QString text = value.toString();
        const bool shown = value.isString() && !text.isEmpty() && text != key;
        check(manager.text(key, Default) == (shown ? text : Default), "wrong text", key.toUtf8());
    }
}

void checkReportConfig(const QByteArray &content)
{
    const QString path = reportConfigPath();
    FuzzSupport::writeScratchFile(path, content);
    const QJsonDocument doc = QJsonDocument::fromJson(content);
    const ReportConfig loaded = loadReportConfig();
    const QJsonObject root = doc.object();
    check(loaded.companyName == root.value(QStringLiteral("companyName")).toString() &&
              loaded.reportTitle == root.value(QStringLiteral("reportTitle")).toString() &&
              loaded.defaultNotes == root.value(QStringLiteral("defaultNotes")).toString(),
          "report configuration read wrongly");
    if (doc.isObject()) {
        check(saveReportConfig(loaded), "saving the report configuration failed");
        const ReportConfig again = loadReportConfig();
        check(again.companyName == loaded.companyName && again.reportTitle == loaded.reportTitle &&
                  again.defaultNotes == loaded.defaultNotes,
              "report configuration changed by a save");
    }
    // A refused file is kept aside when it is replaced; those copies go.
    const QFileInfo info(path);
    for (const QString &name :
         info.dir().entryList({info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        QFile::remove(info.dir().filePath(name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::setUp();
    const QByteArray content = FuzzSupport::bytesOf(data, size);
    checkPack(content);
    checkReportConfig(content);
    return 0;
}

#include "records/store/reportconfig.h"

#include "records/store/jsonfilestore.h"

namespace {
// A few texts never need more; a bigger file is not ours to parse.
constexpr qint64 MaxConfigBytes = 4 * 1024 * 1024;
} // namespace

ReportConfig ReportConfig::fromJson(const QJsonObject &json)
{
    ReportConfig config;
    config.companyName = json.value(QStringLiteral("companyName")).toString();
    config.reportTitle = json.value(QStringLiteral("reportTitle")).toString();
    config.defaultNotes = json.value(QStringLiteral("defaultNotes")).toString();
    return config;
}

QJsonObject ReportConfig::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("companyName"), companyName);
    json.insert(QStringLiteral("reportTitle"), reportTitle);
    json.insert(QStringLiteral("defaultNotes"), defaultNotes);
    return json;
}

QString reportConfigPath()
{
    return JsonFileStore::dataDirectory() + QStringLiteral("/reportconfig.json");
}

ReportConfig loadReportConfig()
{
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Ok;
    return loadReportConfigFrom(reportConfigPath(), &status);
}

bool saveReportConfig(const ReportConfig &config)
{
    return saveReportConfigTo(reportConfigPath(), config);
}

ReportConfig loadReportConfigFrom(const QString &path, JsonFileStore::ReadStatus *status)
{
    const JsonFileStore::ReadResult read =
        JsonFileStore::readObject(path, QString(), MaxConfigBytes);
    *status = read.status;
    return ReportConfig::fromJson(read.object);
}

bool saveReportConfigTo(const QString &path, const ReportConfig &config)
{
    return JsonFileStore::writeObject(path, config.toJson(), QString(), MaxConfigBytes);
}

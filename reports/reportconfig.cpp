#include "reports/reportconfig.h"

#include "records/jsonfilestore.h"

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
    const JsonFileStore::ReadResult read =
        JsonFileStore::readObject(reportConfigPath(), QString(), MaxConfigBytes);
    return ReportConfig::fromJson(read.object);
}

bool saveReportConfig(const ReportConfig &config)
{
    return JsonFileStore::writeObject(reportConfigPath(), config.toJson(), QString(),
                                      MaxConfigBytes);
}

#pragma once

#include "records/store/jsonfilestore.h"

#include <QJsonObject>
#include <QString>

// The three texts that shape every printed report.
struct ReportConfig
{
    QString companyName;
    QString reportTitle;
    QString defaultNotes;

    bool isEmpty() const
    {
        return companyName.isEmpty() && reportTitle.isEmpty() && defaultNotes.isEmpty();
    }
    static ReportConfig fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
};

// Path of reportconfig.json in the per-user data directory.
QString reportConfigPath();

// The stored configuration; all three texts empty when nothing usable is stored.
ReportConfig loadReportConfig();

// Writes all three members atomically. Editors trim the values they edit and
// take the others from the configuration they loaded when editing began.
bool saveReportConfig(const ReportConfig &config);

// The same for the file at `path`; `status` says what the read found.
ReportConfig loadReportConfigFrom(const QString &path, JsonFileStore::ReadStatus *status);
bool saveReportConfigTo(const QString &path, const ReportConfig &config);

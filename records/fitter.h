#pragma once

#include <QJsonObject>
#include <QMetaType>
#include <QString>

// One inspector.
struct Fitter
{
    int id = 0;
    QString name;
    QString workId; // the inspector ID typed by the user
    QString clinicName;
    QString phone;
    int workYears = -1;
    QString gender = QStringLiteral("保密");
    QString skill;
    QString note;
    bool isDefault = false;

    static Fitter fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
};

Q_DECLARE_METATYPE(Fitter)

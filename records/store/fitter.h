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

    friend bool operator==(const Fitter &a, const Fitter &b)
    {
        return a.id == b.id && a.name == b.name && a.workId == b.workId &&
               a.clinicName == b.clinicName && a.phone == b.phone && a.workYears == b.workYears &&
               a.gender == b.gender && a.skill == b.skill && a.note == b.note &&
               a.isDefault == b.isDefault;
    }
    friend bool operator!=(const Fitter &a, const Fitter &b) { return !(a == b); }
};

Q_DECLARE_METATYPE(Fitter)

#pragma once

#include "records/store/storedphoto.h"

#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>

// One order: the customer's data, a copy of the inspector's data at the time
// of saving, and the photos, stored as "name|base64-jpeg" entries; photos
// loaded from the store are read from the file only when shown.
struct Customer
{
    int id = 0;
    QString orderNumber;
    QString name;
    QString patientId;
    QString gender = QStringLiteral("保密");
    QString birthDate;
    QString phone;
    int age = -1;
    QString address;
    QString email;
    int fitterId = -1;
    QString fitterName;
    QString fitterWorkId;
    QString fitterClinic;
    QString notes;
    QString diagnosis;
    QString createdAt; // ISO 8601 local time without zone
    QList<StoredPhoto> photos;
    // Set by the store an order was read from, to tell a change made
    // elsewhere since; never written to the order's JSON.
    qint64 revision = 0;

    static Customer fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
};

Q_DECLARE_METATYPE(Customer)

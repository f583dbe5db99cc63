#include "records/store/customer.h"

#include "records/store/jsonfields.h"

#include <QJsonArray>

Customer Customer::fromJson(const QJsonObject &json)
{
    using namespace JsonFields;
    Customer c;
    c.id = intField(json, "id", 0);
    c.orderNumber = stringField(json, "orderNumber");
    c.name = stringField(json, "name");
    c.patientId = stringField(json, "patientId");
    c.gender = genderField(json);
    c.birthDate = stringField(json, "birthDate");
    c.phone = stringField(json, "phone");
    c.age = intField(json, "age", -1);
    c.address = stringField(json, "address");
    c.email = stringField(json, "email");
    c.fitterId = intField(json, "fitterId", -1);
    c.fitterName = stringField(json, "fitterName");
    c.fitterWorkId = stringField(json, "fitterWorkId");
    c.fitterClinic = stringField(json, "fitterClinic");
    c.notes = stringField(json, "notes");
    c.diagnosis = stringField(json, "diagnosis");
    c.createdAt = stringField(json, "createdAt");
    const QJsonArray photos = json.value(QStringLiteral("photos")).toArray();
    c.photos.reserve(photos.size());
    for (const QJsonValue &photo : photos)
        c.photos.append(photo.toString());
    return c;
}

QJsonObject Customer::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("id"), id);
    json.insert(QStringLiteral("orderNumber"), orderNumber);
    json.insert(QStringLiteral("name"), name);
    json.insert(QStringLiteral("patientId"), patientId);
    json.insert(QStringLiteral("gender"), gender);
    json.insert(QStringLiteral("birthDate"), birthDate);
    json.insert(QStringLiteral("phone"), phone);
    json.insert(QStringLiteral("age"), age);
    json.insert(QStringLiteral("address"), address);
    json.insert(QStringLiteral("email"), email);
    json.insert(QStringLiteral("fitterId"), fitterId);
    json.insert(QStringLiteral("fitterName"), fitterName);
    json.insert(QStringLiteral("fitterWorkId"), fitterWorkId);
    json.insert(QStringLiteral("fitterClinic"), fitterClinic);
    json.insert(QStringLiteral("notes"), notes);
    json.insert(QStringLiteral("diagnosis"), diagnosis);
    json.insert(QStringLiteral("createdAt"), createdAt);
    json.insert(QStringLiteral("photos"), QJsonArray::fromStringList(StoredPhoto::entries(photos)));
    return json;
}

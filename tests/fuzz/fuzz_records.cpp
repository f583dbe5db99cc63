// Customer and Fitter from arbitrary JSON values: every field is read by its
// own rule (numbers only when whole and within int, texts only from strings,
// gender "保密" unless a string), and what is written reads back the same.
#include "records/store/customer.h"
#include "records/store/fitter.h"

#include "fuzzsupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <limits>

namespace {

using FuzzSupport::check;

int expectedInt(const QJsonObject &json, const char *key, int defaultValue)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (!value.isDouble())
        return defaultValue;
    const double d = value.toDouble();
    if (std::floor(d) != d || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
        return defaultValue;
    return int(d);
}

QString expectedString(const QJsonObject &json, const char *key)
{
    const QJsonValue value = json.value(QLatin1String(key));
    return value.isString() ? value.toString() : QString();
}

QString expectedGender(const QJsonObject &json)
{
    const QJsonValue value = json.value(QLatin1String("gender"));
    return value.isString() ? value.toString() : QStringLiteral("保密");
}

void checkCustomer(const QJsonObject &json)
{
    const Customer c = Customer::fromJson(json);
    const auto text = [&](const QString &field, const char *key) {
        check(field == expectedString(json, key), key);
    };
    check(c.id == expectedInt(json, "id", 0), "id");
    check(c.age == expectedInt(json, "age", -1), "age");
    check(c.fitterId == expectedInt(json, "fitterId", -1), "fitterId");
    check(c.gender == expectedGender(json), "gender");
    text(c.orderNumber, "orderNumber");
    text(c.name, "name");
    text(c.patientId, "patientId");
    text(c.birthDate, "birthDate");
    text(c.phone, "phone");
    text(c.address, "address");
    text(c.email, "email");
    text(c.fitterName, "fitterName");
    text(c.fitterWorkId, "fitterWorkId");
    text(c.fitterClinic, "fitterClinic");
    text(c.notes, "notes");
    text(c.diagnosis, "diagnosis");
    text(c.createdAt, "createdAt");
    const QJsonArray photos = json.value(QLatin1String("photos")).toArray();
    check(c.photos.size() == photos.size(), "photo count");
    for (qsizetype i = 0; i < photos.size(); ++i)
        check(c.photos.at(i).entry() == (photos.at(i).isString() ? photos.at(i).toString() : ""),
              "photo entry");

    const QJsonObject written = c.toJson();
    check(written.size() == 18, "not every field written");
    check(Customer::fromJson(written).toJson() == written, "customer changed by a round trip");
}

void checkFitter(const QJsonObject &json)
{
    const Fitter f = Fitter::fromJson(json);
    const auto text = [&](const QString &field, const char *key) {
        check(field == expectedString(json, key), key);
    };
    check(f.id == expectedInt(json, "id", 0), "id");
    check(f.workYears == expectedInt(json, "workYears", -1), "workYears");
    check(f.gender == expectedGender(json), "gender");
    const QJsonValue isDefault = json.value(QLatin1String("isDefault"));
    check(f.isDefault == (isDefault.isBool() && isDefault.toBool()), "isDefault");
    text(f.name, "name");
    text(f.workId, "workId");
    text(f.clinicName, "clinicName");
    text(f.phone, "phone");
    text(f.skill, "skill");
    text(f.note, "note");

    const QJsonObject written = f.toJson();
    check(written.size() == 10, "not every field written");
    check(written.value(QLatin1String("isDefault")).isBool(), "isDefault written as no boolean");
    check(Fitter::fromJson(written).toJson() == written, "fitter changed by a round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::setUp();
    const QJsonDocument doc = QJsonDocument::fromJson(FuzzSupport::bytesOf(data, size));
    // Any value stands where a record is expected; a non-object reads as {}.
    QJsonArray values;
    if (doc.isArray())
        values = doc.array();
    else if (doc.isObject())
        values.append(doc.object());
    for (const QJsonValue &value : values) {
        checkCustomer(value.toObject());
        checkFitter(value.toObject());
        // Nested objects too, as an edited file might hold records one level down.
        for (const QJsonValue &member : value.toObject()) {
            if (!member.isObject())
                continue;
            checkCustomer(member.toObject());
            checkFitter(member.toObject());
        }
    }
    return 0;
}

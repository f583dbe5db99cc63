#include "records/store/fitter.h"

#include "records/store/jsonfields.h"

Fitter Fitter::fromJson(const QJsonObject &json)
{
    using namespace JsonFields;
    Fitter f;
    f.id = intField(json, "id", 0);
    f.name = stringField(json, "name");
    f.workId = stringField(json, "workId");
    f.clinicName = stringField(json, "clinicName");
    f.phone = stringField(json, "phone");
    f.workYears = intField(json, "workYears", -1);
    f.gender = genderField(json);
    f.skill = stringField(json, "skill");
    f.note = stringField(json, "note");
    f.isDefault = json.value(QStringLiteral("isDefault")).toBool(false);
    return f;
}

QJsonObject Fitter::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("id"), id);
    json.insert(QStringLiteral("name"), name);
    json.insert(QStringLiteral("workId"), workId);
    json.insert(QStringLiteral("clinicName"), clinicName);
    json.insert(QStringLiteral("phone"), phone);
    json.insert(QStringLiteral("workYears"), workYears);
    json.insert(QStringLiteral("gender"), gender);
    json.insert(QStringLiteral("skill"), skill);
    json.insert(QStringLiteral("note"), note);
    json.insert(QStringLiteral("isDefault"), isDefault);
    return json;
}

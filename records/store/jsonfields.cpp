#include "records/store/jsonfields.h"

namespace JsonFields {

int intField(const QJsonObject &json, const char *key, int defaultValue)
{
    return json.value(QLatin1String(key)).toInt(defaultValue);
}

QString stringField(const QJsonObject &json, const char *key)
{
    return json.value(QLatin1String(key)).toString();
}

QString genderField(const QJsonObject &json)
{
    const QJsonValue value = json.value(QLatin1String("gender"));
    return value.isString() ? value.toString() : QStringLiteral("保密");
}

} // namespace JsonFields

#pragma once

#include <QJsonObject>
#include <QString>

// Typed field readers shared by the record conversions: a missing member or
// one of the wrong type yields the field's default.
namespace JsonFields {

// Whole numbers within int32 only; 2.5 or 1e12 is not an id or an age.
int intField(const QJsonObject &json, const char *key, int defaultValue);
QString stringField(const QJsonObject &json, const char *key);
// "保密" unless the member is a string.
QString genderField(const QJsonObject &json);

} // namespace JsonFields

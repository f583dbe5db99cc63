#pragma once

#include <QByteArray>
#include <QJsonObject>

// Keeps the device's secrets out of the debug log, which users copy into
// support mails: the value of every "password" member (any spelling of case)
// is replaced by "***", the rest of the line stays as it was.
namespace LogRedaction {

inline constexpr char Mask[] = "***";

// `bytes` as received or sent, with secret values masked. `before` is what
// came earlier in the same unfinished message: a read can begin inside a key
// or a value, and only the bytes before it tell that the value is secret.
QByteArray redact(const QByteArray &bytes, const QByteArray &before = {});
// A copy of `object` with its secret members masked, at any depth.
QJsonObject redact(const QJsonObject &object);

} // namespace LogRedaction

#pragma once

#include <QByteArray>
#include <QString>

// JSON string text as Qt's JSON reader and indented writer handle it, for the
// store code that reads and writes customers.json without building documents.
namespace JsonText {

// Index of the first byte in `data` that a plain string cannot hold: a quote,
// a backslash, a control character or a non-ASCII byte; `size` when none.
qint64 findSpecial(const char *data, qint64 size);
// The same search as processors without AVX2 make it.
qint64 findSpecialSse2(const char *data, qint64 size);

// The string whose JSON text between the quotes is `text`; `ok` false (and an
// empty string) when Qt's reader would refuse it.
QString decode(const QByteArray &text, bool *ok);

// `text` in quotes, escaped exactly as QJsonDocument::toJson() writes it.
QByteArray quoted(const QString &text);

} // namespace JsonText

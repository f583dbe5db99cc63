#pragma once

#include <QSet>
#include <QString>

// File names for what the user exports (reports, an order's photos, lists)
// made from stored texts, which may hold anything a user typed.
namespace ExportNaming {

// `text` as a single file name: path separators, characters Windows refuses,
// control characters and leading dots become "_" or go, and the name is kept
// short enough for every common file system. `fallback` when nothing is left.
QString safeFileName(const QString &text, const QString &fallback);

// `name`, or `name` with "_2", "_3" ... before its suffix, whichever is not
// yet in `taken` (compared case-insensitively, as Windows and macOS do); the
// result is added to `taken`.
QString uniqueName(const QString &name, QSet<QString> &taken);

// "<order number>_<exam date>.pdf" for the report of an order created at
// `createdAt` (ISO 8601); without the date when it cannot be read.
QString reportFileName(const QString &orderNumber, const QString &createdAt);

} // namespace ExportNaming

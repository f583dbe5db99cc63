#pragma once

#include "records/store/customer.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The order list as a CSV file for spreadsheet programs: UTF-8 with a byte
// order mark (without it Excel reads Chinese as another code page), one
// header row in the current language, one row per order, no photo data.
namespace OrderCsv {

// One field: neutralised, and quoted when it holds a separator, a quote or a
// line break.
QString field(const QString &value);

// A value a spreadsheet would run as a formula ("=1+1", "+SUM(A1)", "@cmd",
// also in full-width forms that East Asian input methods type) gets a leading
// apostrophe so it is shown as the text it is.
QString neutralised(const QString &value);

// The whole file, lines ended by CR LF.
QByteArray document(const QList<Customer> &orders);

// Writes `document(orders)` to `path` whole, or leaves nothing there.
bool write(const QString &path, const QList<Customer> &orders);

} // namespace OrderCsv

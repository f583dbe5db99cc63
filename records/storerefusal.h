#pragma once

#include "records/store/storeresult.h"

#include <QString>

// What the pages tell the user when the store refused a change.
namespace StoreRefusal {

enum class Record { Order, Inspector };

// The message for `result`: changed elsewhere, the store out of reach, or
// `failedText` (the page's own words for a store that could not write).
QString message(const StoreResult &result, Record record, const QString &failedText);

} // namespace StoreRefusal

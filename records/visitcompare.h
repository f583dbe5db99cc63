#pragma once

#include "records/photocompareview.h"
#include "records/store/customer.h"

#include <QList>
#include <QPair>

// What the order detail page offers to compare: the photos of the shown order
// and of the customer's earlier visits, each labelled with its visit's date,
// order number, ear and name.
namespace VisitCompare {

// The shown order's photos first, then each earlier visit's (newest first).
QList<PhotoCompareView::Choice> choices(const Customer &order, const QList<Customer> &earlier);
// The pair a comparison opens with, as indices into choices(): the order's
// first photo against the same ear's first photo of earlier visit `visit`
// (its first photo when no ear matches); with `visit` -1 (or no earlier
// photo), against the newest earlier visit, else the order's second photo.
QPair<int, int> defaultPair(const Customer &order, const QList<Customer> &earlier, int visit = -1);

} // namespace VisitCompare

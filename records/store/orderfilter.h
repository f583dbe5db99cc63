#pragma once

#include "records/store/customer.h"

#include <QDate>
#include <QList>
#include <QString>

class OrderNumbering;

// The order list's search: text filters captured at the last query and an
// inclusive range of whole creation days. Text matches ignore letter case.
struct OrderFilter
{
    QString orderNumber; // matched against the typed and the derived order number
    QString name;
    QString phone;
    QDate from; // invalid: no lower bound
    QDate to;   // invalid: no upper bound
    // New orders are appended to the store, so newest first is the store
    // order reversed.
    bool newestFirst = true;

    bool matches(const Customer &order, const OrderNumbering &numbering) const;
    // Indices into `allOrders` of the orders that pass, newest or oldest first.
    QList<int> apply(const QList<Customer> &allOrders, const OrderNumbering &numbering) const;

    // A date field's bound: "yyyy.MM.dd" after trimming; anything else gives no bound.
    static QDate parseBound(const QString &fieldText);
    // The creation day of an order; invalid when createdAt does not start with "yyyy-MM-dd".
    static QDate creationDay(const QString &createdAt);
};

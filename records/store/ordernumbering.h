#pragma once

#include "records/store/customer.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

// Derived order numbers: the creation day as yyyyMMdd followed by the order's
// rank, by ascending id, among all orders created that day, written with at
// least three digits ("20250304003"). Orders whose createdAt is shorter than a
// day get "N/A".
//
// A number depends on the whole store, so looking each one up by scanning all
// orders makes a refresh quadratic. This groups the ids by day once; every
// lookup afterwards is a hash lookup and a binary search.
class OrderNumbering
{
public:
    explicit OrderNumbering(const QList<Customer> &allOrders);

    QString numberFor(const Customer &order) const;
    // The number the user knows the order by: the one typed for it when there
    // is one, otherwise the derived number.
    QString shownNumber(const Customer &order) const;

private:
    QHash<QString, QVector<int>> m_sortedIdsByDay;
};

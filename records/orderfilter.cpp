#include "records/orderfilter.h"

#include "records/ordernumbering.h"

bool OrderFilter::matches(const Customer &order, const OrderNumbering &numbering) const
{
    if (from.isValid() || to.isValid()) {
        // Orders without a readable creation day are never hidden by dates.
        const QDate day = creationDay(order.createdAt);
        if (day.isValid() && ((from.isValid() && day < from) || (to.isValid() && day > to)))
            return false;
    }
    if (!name.isEmpty() && !order.name.contains(name, Qt::CaseInsensitive))
        return false;
    if (!phone.isEmpty() && !order.phone.contains(phone, Qt::CaseInsensitive))
        return false;
    if (!orderNumber.isEmpty() &&
        !numbering.numberFor(order).contains(orderNumber, Qt::CaseInsensitive))
        return false;
    return true;
}

QList<int> OrderFilter::apply(const QList<Customer> &allOrders,
                              const OrderNumbering &numbering) const
{
    QList<int> passing;
    for (int i = 0; i < allOrders.size(); ++i) {
        if (matches(allOrders.at(i), numbering))
            passing.append(i);
    }
    return passing;
}

QDate OrderFilter::parseBound(const QString &fieldText)
{
    return QDate::fromString(fieldText.trimmed(), QStringLiteral("yyyy.MM.dd"));
}

QDate OrderFilter::creationDay(const QString &createdAt)
{
    return QDate::fromString(createdAt.left(10), QStringLiteral("yyyy-MM-dd"));
}

#include "records/store/orderfilter.h"

#include "records/store/ordernumbering.h"

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
    // Users search for the number they typed; the derived number still finds
    // orders saved without one, and older orders by their day.
    if (!orderNumber.isEmpty() && !order.orderNumber.contains(orderNumber, Qt::CaseInsensitive) &&
        !numbering.numberFor(order).contains(orderNumber, Qt::CaseInsensitive))
        return false;
    return true;
}

QList<int> OrderFilter::apply(const QList<Customer> &allOrders,
                              const OrderNumbering &numbering) const
{
    QList<int> passing;
    const int count = int(allOrders.size());
    for (int n = 0; n < count; ++n) {
        const int i = newestFirst ? count - 1 - n : n;
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
    // Read by hand: a format parse per order is the largest part of filtering
    // a big store. Accepts exactly what the "yyyy-MM-dd" format accepts.
    if (createdAt.size() < 10 || createdAt.at(4) != QLatin1Char('-') ||
        createdAt.at(7) != QLatin1Char('-'))
        return {};
    auto number = [&createdAt](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = createdAt.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

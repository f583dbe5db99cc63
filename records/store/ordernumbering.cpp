#include "records/store/ordernumbering.h"

#include <algorithm>

namespace {

constexpr int DayKeyLength = 10; // "yyyy-MM-dd"

} // namespace

OrderNumbering::OrderNumbering(const QList<Customer> &allOrders)
{
    for (const Customer &order : allOrders) {
        if (order.createdAt.size() >= DayKeyLength)
            m_sortedIdsByDay[order.createdAt.left(DayKeyLength)].append(order.id);
    }
    for (QVector<int> &ids : m_sortedIdsByDay)
        std::sort(ids.begin(), ids.end());
}

QString OrderNumbering::numberFor(const Customer &order) const
{
    if (order.createdAt.size() < DayKeyLength)
        return QStringLiteral("N/A");
    const QString day = order.createdAt.left(DayKeyLength);
    int sequence = 0;
    const auto found = m_sortedIdsByDay.constFind(day);
    if (found != m_sortedIdsByDay.constEnd()) {
        // Orders sharing an id share the rank of its first occurrence.
        const auto it = std::lower_bound(found->cbegin(), found->cend(), order.id);
        if (it != found->cend() && *it == order.id)
            sequence = int(it - found->cbegin()) + 1;
    }
    return day.mid(0, 4) + day.mid(5, 2) + day.mid(8, 2) +
           QString::number(sequence).rightJustified(3, QLatin1Char('0'));
}

QString OrderNumbering::shownNumber(const Customer &order) const
{
    return order.orderNumber.isEmpty() ? numberFor(order) : order.orderNumber;
}

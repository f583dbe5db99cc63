#include "records/customerhistory.h"

#include <algorithm>

namespace CustomerHistory {

namespace {

// Fewer digits than this are an extension or a placeholder ("0", "110"), not a customer's number.
constexpr int MinPhoneDigits = 5;

QString nameKey(const QString &name)
{
    return name.simplified().toCaseFolded();
}

} // namespace

QString phoneKey(const QString &phone)
{
    QString digits;
    for (const QChar c : phone) {
        if (c.isDigit())
            digits.append(QChar(u'0' + c.digitValue()));
    }
    // "0049 …" is "+49 …" dialled from a desk phone.
    if (digits.startsWith(QLatin1String("00")))
        digits.remove(0, 2);
    return digits.size() >= MinPhoneDigits ? digits : QString();
}

QString birthDateKey(const QString &birthDate)
{
    const QString text = birthDate.trimmed();
    for (const char *format : {"yyyy-MM-dd", "yyyy.MM.dd", "yyyy/MM/dd", "dd.MM.yyyy", "yyyy-M-d",
                               "yyyy.M.d", "yyyy/M/d", "d.M.yyyy"}) {
        const QDate date = QDate::fromString(text, QLatin1String(format));
        if (date.isValid())
            return date.toString(Qt::ISODate);
    }
    return text;
}

bool sameCustomer(const Customer &a, const Customer &b)
{
    const QString phone = phoneKey(a.phone);
    if (!phone.isEmpty() && phone == phoneKey(b.phone))
        return true;
    const QString name = nameKey(a.name);
    const QString birth = birthDateKey(a.birthDate);
    return !name.isEmpty() && !birth.isEmpty() && name == nameKey(b.name) &&
           birth == birthDateKey(b.birthDate);
}

QDateTime createdTime(const Customer &order)
{
    QDateTime time = QDateTime::fromString(order.createdAt.trimmed(), Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(order.createdAt.trimmed(), Qt::ISODate);
    return time;
}

QList<Customer> earlierOrders(const Customer &order, const QList<Customer> &orders)
{
    const QDateTime created = createdTime(order);
    QList<Customer> earlier;
    if (!created.isValid())
        return earlier; // without a time of its own there is no "before"
    for (const Customer &other : orders) {
        if (other.id == order.id || !sameCustomer(order, other))
            continue;
        const QDateTime time = createdTime(other);
        if (time.isValid() && time < created)
            earlier.append(other);
    }
    std::stable_sort(earlier.begin(), earlier.end(), [](const Customer &a, const Customer &b) {
        return createdTime(a) > createdTime(b);
    });
    return earlier;
}

} // namespace CustomerHistory

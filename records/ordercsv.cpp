#include "records/ordercsv.h"

#include "i18n/langmanager.h"
#include "records/orderdisplay.h"
#include "records/store/jsonfilestore.h"

namespace OrderCsv {

QString neutralised(const QString &value)
{
    static const QString triggers =
        QStringLiteral("=+-@\t\r") + QChar(0xFF1D) + QChar(0xFF0B) + QChar(0xFF0D) + QChar(0xFF20);
    if (!value.isEmpty() && triggers.contains(value.front()))
        return QLatin1Char('\'') + value;
    return value;
}

QString field(const QString &value)
{
    QString text = neutralised(value);
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
        text.contains(QLatin1Char(';'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

namespace {

void appendRow(QString &out, const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            out.append(QLatin1Char(','));
        out.append(field(values.at(i)));
    }
    out.append(QStringLiteral("\r\n"));
}

} // namespace

QByteArray document(const QList<Customer> &orders)
{
    QString text;
    text.reserve(200 * (orders.size() + 1));
    appendRow(text,
              {uiText(QStringLiteral("order.number"), QStringLiteral("Order no.")),
               uiText(QStringLiteral("report.exam_time"), QStringLiteral("Exam time")),
               uiText(QStringLiteral("customer.name"), QStringLiteral("Name")),
               uiText(QStringLiteral("common.gender"), QStringLiteral("Gender")),
               uiText(QStringLiteral("customer.birth_date"), QStringLiteral("Birthday")),
               uiText(QStringLiteral("customer.age"), QStringLiteral("Age")),
               uiText(QStringLiteral("customer.phone"), QStringLiteral("Phone")),
               uiText(QStringLiteral("customer.address"), QStringLiteral("Address")),
               uiText(QStringLiteral("order_list.csv.notes"), QStringLiteral("Customer notes")),
               uiText(QStringLiteral("report.inspector"), QStringLiteral("Inspector")),
               uiText(QStringLiteral("order_list.csv.photo_count"), QStringLiteral("Photos"))});
    for (const Customer &order : orders) {
        appendRow(
            text,
            {order.orderNumber,
             order.createdAt.isEmpty() ? QString() : OrderDisplay::detailCreatedAt(order.createdAt),
             order.name,
             OrderDisplay::genderText(order.gender, OrderDisplay::EnglishGenderDefaults),
             order.birthDate, order.age < 0 ? QString() : QString::number(order.age), order.phone,
             order.address, order.notes, order.fitterName, QString::number(order.photos.size())});
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool write(const QString &path, const QList<Customer> &orders)
{
    return JsonFileStore::writeFileWhole(path, document(orders));
}

} // namespace OrderCsv

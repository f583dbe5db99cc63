#include "records/orderform.h"

#include <algorithm>
#include <cmath>

namespace OrderForm {

int parseAge(const QString &text)
{
    bool ok = false;
    const int age = text.trimmed().toInt(&ok, 10);
    return ok && age >= 0 ? age : -1;
}

Customer build(const Customer &base, const Input &input, const Fitter *inspector,
               const QDateTime &now)
{
    Customer order = base;
    order.orderNumber = input.orderNumber.trimmed();
    order.name = input.name.trimmed();
    order.birthDate = input.birthDate.trimmed();
    order.phone = input.phone.trimmed();
    order.address = input.address.trimmed();
    order.notes = input.notes.trimmed();
    order.gender = input.genderValue.isEmpty() ? QStringLiteral("保密") : input.genderValue;
    if (order.createdAt.isEmpty())
        order.createdAt = now.toString(Qt::ISODate);
    order.age = parseAge(input.ageText);
    if (inspector) {
        order.fitterId = inspector->id;
        order.fitterName = inspector->name;
        order.fitterWorkId = inspector->workId;
        order.fitterClinic = inspector->clinicName;
    }
    return order;
}

Problem validate(const Customer &order)
{
    if (order.orderNumber.isEmpty())
        return Problem::OrderNumberMissing;
    if (order.name.isEmpty())
        return Problem::NameMissing;
    if (order.fitterId < 0)
        return Problem::InspectorMissing;
    return Problem::None;
}

QString createdAtForDisplay(const QString &stored)
{
    QString shown = stored;
    if (shown.size() > 18) {
        shown.truncate(19);
        shown.replace(QLatin1Char('T'), QLatin1Char(' '));
    }
    shown.replace(QLatin1Char('-'), QLatin1Char('.'));
    return shown;
}

Widths widthsFor(int pageWidth)
{
    const double f = pageWidth / 1920.0;
    if (f > 1.25)
        return {790, 50, 467};
    if (f > 0.65) {
        const int order = std::clamp(static_cast<int>(std::lround(632 * f)), 360, 790);
        const int inspector = std::clamp(static_cast<int>(std::lround(373.5 * f)), 240, 470);
        return {order, 51, inspector};
    }
    return {411, 51, 243};
}

} // namespace OrderForm

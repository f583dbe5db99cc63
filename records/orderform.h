#pragma once

#include "records/store/customer.h"
#include "records/store/fitter.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The rules of the order form, apart from its widgets: how the typed texts
// become a Customer, which missing entries refuse a save, and how the stored
// creation time is shown.
namespace OrderForm {

// The texts of the form as typed (untrimmed).
struct Input
{
    QString orderNumber;
    QString name;
    QString birthDate;
    QString phone;
    QString address;
    QString notes;
    QString ageText;
    QString genderValue; // stored value of the chosen entry; empty when none was chosen
};

enum class Problem { None, OrderNumberMissing, NameMissing, InspectorMissing };

// A whole decimal number of years; -1 ("not given") when empty, not a number
// or negative.
int parseAge(const QString &text);

// The order the form describes. `base` is the edited order (every field it has
// is kept unless the form sets it) or a default Customer carrying the new id.
// `inspector` is the chosen fitter when it still exists; otherwise the
// inspector copied in `base` stays. createdAt is set from `now` only when
// `base` has none.
Customer build(const Customer &base, const Input &input, const Fitter *inspector,
               const QDateTime &now);

// The first reason the order cannot be saved, checked in the order the user
// reads the form: order number, name, inspector.
Problem validate(const Customer &order);

// "2025-03-03T09:05:07" as "2025.03.03 09:05:07"; longer stamps lose their
// fraction and zone, other texts only have their dashes replaced.
QString createdAtForDisplay(const QString &stored);

// Widths of the order-number edit and the inspector box for a page width.
struct Widths
{
    int orderNumber;
    int orderNumberHeight;
    int inspector;
};
Widths widthsFor(int pageWidth);

} // namespace OrderForm

#pragma once

#include "records/store/customer.h"

#include <QDateTime>
#include <QList>

// Finding a customer's other visits among the stored orders. Orders carry no
// customer id: the same person is recognised by the same phone number, or
// else by the same name and birth date.
namespace CustomerHistory {

// The phone number's digits only, an international "00" read as "+"
// ("+49 (170) 123-45", "0049 170 12345" and "4917012345" are one number);
// empty when it has too few digits to tell a customer by.
QString phoneKey(const QString &phone);
// The birth date as a date when it is written in one of the usual forms
// (2001-02-03, 2001.02.03, 2001/02/03, 03.02.2001), else the trimmed text.
QString birthDateKey(const QString &birthDate);
bool sameCustomer(const Customer &a, const Customer &b);
// When the order was created; an invalid time for a damaged field.
QDateTime createdTime(const Customer &order);

// The orders of `order`'s customer among `orders` created before it, newest
// first. `order` itself (by id) is never among them.
QList<Customer> earlierOrders(const Customer &order, const QList<Customer> &orders);

} // namespace CustomerHistory

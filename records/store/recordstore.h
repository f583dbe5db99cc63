#pragma once

#include "records/store/customer.h"
#include "records/store/fitter.h"
#include "records/store/jsonfilestore.h"

#include <QList>
#include <QString>

// Whole-file stores of orders (customers.json) and inspectors (fitters.json).
// Every caller loads the whole list, changes its copy and saves it back.

QString customersFilePath();
QString fittersFilePath();

QList<Customer> loadCustomers();
bool saveCustomers(const QList<Customer> &customers);
// Loads all orders, appends `customer` and saves; the result of the save.
bool appendCustomer(const Customer &customer);

enum class NotesUpdate { Saved, Unchanged, Missing, Failed };
// Sets the notes of the stored order with this id (the first, should ids
// collide) in the file as it is now. The file is only written when the notes
// differ; Missing when no such order is stored.
NotesUpdate updateCustomerNotes(int customerId, const QString &notes);

QList<Fitter> loadFitters();
bool saveFitters(const QList<Fitter> &fitters);
// The same for the fitters file at `path`; `status` says what the read found.
QList<Fitter> loadFittersFrom(const QString &path, JsonFileStore::ReadStatus *status);
bool saveFittersTo(const QString &path, const QList<Fitter> &fitters);

// 1 + the largest id in the list, counting the largest as 0 when none is positive.
int nextCustomerId(const QList<Customer> &customers);
int nextFitterId(const QList<Fitter> &fitters);

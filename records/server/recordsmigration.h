#pragma once

#include "records/store/customer.h"
#include "records/store/fitter.h"
#include "records/store/reportconfig.h"

#include <QString>
#include <functional>

class ServerRecordsBackend;

// Moves records between this computer's files and a clinic server. Copying
// to the server never changes the files, and copying again adds nothing
// twice: each record is remembered on the server by where it came from.
namespace RecordsMigration {

struct Outcome
{
    bool ok = false;
    int ordersAdded = 0;
    int ordersAlreadyThere = 0;
    int fittersAdded = 0;
    int fittersAlreadyThere = 0;
    bool reportConfigCopied = false;
    QString error; // what went wrong when not ok
};

// Called with (done, total) as records go; return false to stop.
using Progress = std::function<bool(int done, int total)>;

// What identifies a record from this computer's files on the server.
QString originOf(const Customer &order);
QString originOf(const Fitter &fitter);

// Copies `orders` and `fitters` to the server, then checks that every one is
// there with the same photo bytes (compared by SHA-256 on the server, so the
// photos do not travel twice). Orders keep their ids where the server has
// them free; their inspector ids follow the inspectors' ids on the server.
// The report texts go along when the server has none of its own yet.
Outcome copyToServer(ServerRecordsBackend &server, const QList<Customer> &orders,
                     const QList<Fitter> &fitters, const ReportConfig &reportConfig,
                     const Progress &progress = {});

// Writes the server's records as customers.json, fitters.json and
// reportconfig.json into `folder`, in the same form as this computer's own files.
Outcome exportToFiles(ServerRecordsBackend &server, const QString &folder,
                      const Progress &progress = {});

} // namespace RecordsMigration

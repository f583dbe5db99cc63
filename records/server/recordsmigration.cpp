#include "records/server/recordsmigration.h"

#include "records/server/serverrecordsbackend.h"

#include <QCryptographicHash>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace {

QString hashOf(const QStringList &parts)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

// A record written into the list of `key`, indented as Qt writes a whole file.
QByteArray indentedElement(const QJsonObject &object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        if (!out.isEmpty())
            out += '\n';
        out += "        " + line;
    }
    return out;
}

bool writeAll(QSaveFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size();
}

} // namespace

QString RecordsMigration::originOf(const Customer &order)
{
    return QStringLiteral("order:") +
           hashOf({QString::number(order.id), order.createdAt, order.orderNumber, order.name});
}

QString RecordsMigration::originOf(const Fitter &fitter)
{
    return QStringLiteral("inspector:") +
           hashOf({QString::number(fitter.id), fitter.workId, fitter.name});
}

RecordsMigration::Outcome RecordsMigration::copyToServer(ServerRecordsBackend &server,
                                                         const QList<Customer> &orders,
                                                         const QList<Fitter> &fitters,
                                                         const ReportConfig &reportConfig,
                                                         const Progress &progress)
{
    Outcome outcome;
    const int total = int(orders.size() + fitters.size());
    int done = 0;
    const auto step = [&]() { return !progress || progress(++done, total); };
    QHash<int, int> fitterIds; // this computer's inspector id -> the server's
    for (const Fitter &fitter : fitters) {
        int id = 0;
        bool added = false;
        const auto result = server.importFitter(fitter, originOf(fitter), &id, &added);
        if (!result.ok()) {
            outcome.error = result.message;
            return outcome;
        }
        fitterIds.insert(fitter.id, id);
        ++(added ? outcome.fittersAdded : outcome.fittersAlreadyThere);
        if (!step()) {
            outcome.error = QStringLiteral("stopped");
            return outcome;
        }
    }
    for (const Customer &order : orders) {
        Customer copy = order;
        copy.fitterId = fitterIds.value(order.fitterId, order.fitterId);
        int id = 0;
        bool added = false;
        const QString origin = originOf(order);
        // Each photo is read from the file once: the same bytes are sent and
        // hashed, which halves what a year of photos costs to copy.
        QList<QByteArray> jpegs;
        QList<QByteArray> hashes;
        for (const StoredPhoto &photo : order.photos) {
            jpegs.append(photo.imageData());
            hashes.append(QCryptographicHash::hash(jpegs.constLast(), QCryptographicHash::Sha256));
        }
        auto result = server.importOrder(copy, jpegs, origin, &id, &added);
        jpegs.clear();
        if (!result.ok()) {
            outcome.error = result.message;
            return outcome;
        }
        ++(added ? outcome.ordersAdded : outcome.ordersAlreadyThere);
        // Every photo as it is on the server now, byte for byte.
        QList<QPair<QString, QByteArray>> digests;
        result = server.photoDigests(origin, &digests);
        if (!result.ok()) {
            outcome.error = result.message;
            return outcome;
        }
        bool same = digests.size() == order.photos.size();
        for (int i = 0; same && i < digests.size(); ++i) {
            same = digests.at(i).first == order.photos.at(i).name() &&
                   digests.at(i).second == hashes.at(i);
        }
        if (!same) {
            outcome.error = QStringLiteral("order %1 differs on the server").arg(order.id);
            return outcome;
        }
        if (!step()) {
            outcome.error = QStringLiteral("stopped");
            return outcome;
        }
    }
    // Without them the first report printed from the server would lose the
    // clinic's name and title; texts another workstation already set are kept.
    StoreResult read;
    const bool serverHasTexts = !server.readReportConfig(&read).isEmpty();
    if (!read.ok()) {
        outcome.error = read.message;
        return outcome;
    }
    if (!serverHasTexts && !reportConfig.isEmpty()) {
        const StoreResult written = server.writeReportConfig(reportConfig);
        if (!written.ok()) {
            outcome.error = written.message;
            return outcome;
        }
        outcome.reportConfigCopied = true;
    }
    int serverOrders = 0;
    int serverFitters = 0;
    const auto counted = server.countRecords(&serverOrders, &serverFitters);
    if (!counted.ok()) {
        outcome.error = counted.message;
        return outcome;
    }
    if (serverOrders < orders.size() || serverFitters < fitters.size()) {
        outcome.error = QStringLiteral("the server holds fewer records than were copied");
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

RecordsMigration::Outcome RecordsMigration::exportToFiles(ServerRecordsBackend &server,
                                                          const QString &folder,
                                                          const Progress &progress)
{
    Outcome outcome;
    StoreResult result;
    const QList<Customer> summaries = server.listOrders(&result);
    QList<Fitter> fitters;
    if (result.ok())
        fitters = server.listFitters(&result);
    ReportConfig reportConfig;
    if (result.ok())
        reportConfig = server.readReportConfig(&result);
    if (!result.ok()) {
        outcome.error = result.message;
        return outcome;
    }
    QDir().mkpath(folder);
    const QString reportConfigFile = QDir(folder).filePath(QStringLiteral("reportconfig.json"));
    if (!saveReportConfigTo(reportConfigFile, reportConfig)) {
        outcome.error = QStringLiteral("%1 could not be written").arg(reportConfigFile);
        return outcome;
    }
    QJsonArray fitterArray;
    for (const Fitter &fitter : fitters)
        fitterArray.append(fitter.toJson());
    QSaveFile fitterFile(QDir(folder).filePath(QStringLiteral("fitters.json")));
    if (!fitterFile.open(QIODevice::WriteOnly) ||
        !writeAll(fitterFile, QJsonDocument(QJsonObject{{QStringLiteral("fitters"), fitterArray}})
                                  .toJson(QJsonDocument::Indented)) ||
        !fitterFile.commit()) {
        outcome.error = fitterFile.errorString();
        return outcome;
    }
    outcome.fittersAdded = int(fitters.size());

    // The orders one at a time, in the order the file keeps them, so a
    // year of photos never has to be in memory at once.
    QSaveFile file(QDir(folder).filePath(QStringLiteral("customers.json")));
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.error = file.errorString();
        return outcome;
    }
    bool written = writeAll(file, "{\n    \"customers\": [\n");
    int count = 0;
    for (int i = 0; written && i < summaries.size(); ++i) {
        Customer order;
        result = server.readOrder(summaries.at(i).id, &order);
        if (result.status == StoreResult::Status::NotFound)
            continue; // removed meanwhile
        if (!result.ok()) {
            outcome.error = result.message;
            return outcome;
        }
        written = writeAll(file, (count > 0 ? QByteArray(",\n") : QByteArray()) +
                                     indentedElement(order.toJson()));
        ++count;
        if (progress && !progress(i + 1, int(summaries.size()))) {
            outcome.error = QStringLiteral("stopped");
            return outcome;
        }
    }
    outcome.ordersAdded = count;
    if (written)
        written = writeAll(file, count > 0 ? "\n    ]\n}\n" : "    ]\n}\n");
    if (!written || !file.commit()) {
        outcome.error = file.errorString();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

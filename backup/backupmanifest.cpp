#include "backup/backupmanifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString Format = QStringLiteral("lumaural-backup");
constexpr int Version = 1;

} // namespace

const QStringList &BackupManifest::storeFileNames()
{
    static const QStringList names{QStringLiteral("customers.json"), QStringLiteral("fitters.json"),
                                   QStringLiteral("reportconfig.json")};
    return names;
}

const BackupManifest::File *BackupManifest::file(const QString &name) const
{
    for (const File &f : files)
        if (f.name == name)
            return &f;
    return nullptr;
}

BackupManifest BackupManifest::summaryOf(const QList<Customer> &orders, int inspectors)
{
    BackupManifest manifest;
    manifest.orders = int(orders.size());
    manifest.inspectors = inspectors;
    for (const Customer &order : orders) {
        if (order.createdAt.isEmpty())
            continue;
        // ISO times in local time sort as text.
        if (manifest.firstOrderAt.isEmpty() || order.createdAt < manifest.firstOrderAt)
            manifest.firstOrderAt = order.createdAt;
        if (order.createdAt > manifest.lastOrderAt)
            manifest.lastOrderAt = order.createdAt;
    }
    return manifest;
}

QByteArray BackupManifest::toJson() const
{
    QJsonArray list;
    for (const File &f : files)
        list.append(QJsonObject{{QStringLiteral("name"), f.name},
                                {QStringLiteral("size"), double(f.size)},
                                {QStringLiteral("sha256"), QString::fromLatin1(f.sha256)}});
    const QJsonObject root{{QStringLiteral("format"), Format},
                           {QStringLiteral("version"), Version},
                           {QStringLiteral("createdAt"), createdAt.toString(Qt::ISODate)},
                           {QStringLiteral("orders"), orders},
                           {QStringLiteral("inspectors"), inspectors},
                           {QStringLiteral("firstOrderAt"), firstOrderAt},
                           {QStringLiteral("lastOrderAt"), lastOrderAt},
                           {QStringLiteral("files"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool BackupManifest::fromJson(const QByteArray &bytes, BackupManifest *manifest)
{
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != Format ||
        root.value(QStringLiteral("version")).toInt() != Version ||
        !root.value(QStringLiteral("files")).isArray())
        return false;
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    BackupManifest result;
    result.createdAt =
        QDateTime::fromString(root.value(QStringLiteral("createdAt")).toString(), Qt::ISODate);
    result.orders = root.value(QStringLiteral("orders")).toInt(-1);
    result.inspectors = root.value(QStringLiteral("inspectors")).toInt(-1);
    result.firstOrderAt = root.value(QStringLiteral("firstOrderAt")).toString();
    result.lastOrderAt = root.value(QStringLiteral("lastOrderAt")).toString();
    QSet<QString> seen;
    const QJsonArray list = root.value(QStringLiteral("files")).toArray();
    for (const QJsonValue &value : list) {
        const QJsonObject entry = value.toObject();
        File f;
        f.name = entry.value(QStringLiteral("name")).toString();
        const double size = entry.value(QStringLiteral("size")).toDouble(-1);
        f.size = qint64(size);
        f.sha256 = entry.value(QStringLiteral("sha256")).toString().toLatin1();
        if (!storeFileNames().contains(f.name) || seen.contains(f.name) || size < 0 ||
            double(f.size) != size || !hex.match(QString::fromLatin1(f.sha256)).hasMatch())
            return false;
        seen.insert(f.name);
        result.files.append(f);
    }
    *manifest = result;
    return true;
}

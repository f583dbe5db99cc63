#include "device/logredaction.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace LogRedaction {

namespace {

QJsonValue redactValue(const QJsonValue &value)
{
    if (value.isObject())
        return redact(value.toObject());
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            array[i] = redactValue(array.at(i));
        return array;
    }
    return value;
}

} // namespace

QByteArray redact(const QByteArray &bytes, const QByteArray &before)
{
    // The value may be cut off by the end of a read: a string without its
    // closing quote (even inside an escape) or a bare token still counts.
    // Only what is between the quotes is masked.
    static const QRegularExpression secret(
        QStringLiteral(R"re("password"\s*:\s*(?:"((?:[^"\\]|\\.?)*)|([^\s",}\]]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(before + bytes); // one char per byte
    const qsizetype start = before.size();
    QByteArray out;
    qsizetype copied = start;
    for (auto it = secret.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const int group = match.hasCaptured(1) ? 1 : 2;
        const qsizetype from = match.capturedStart(group);
        const qsizetype to = match.capturedEnd(group);
        if (to < start || (to == start && from < start))
            continue; // logged with an earlier read
        out += bytes.mid(copied - start, qMax(from, start) - copied);
        out += Mask;
        copied = qMax(to, start);
    }
    out += bytes.mid(copied - start);
    return out;
}

QJsonObject redact(const QJsonObject &object)
{
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(QLatin1String("password"), Qt::CaseInsensitive) == 0)
            out.insert(it.key(), QLatin1String(Mask));
        else
            out.insert(it.key(), redactValue(it.value()));
    }
    return out;
}

} // namespace LogRedaction

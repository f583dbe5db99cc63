#include "records/exportnaming.h"

#include <QDate>
#include <QFileInfo>

namespace ExportNaming {

QString safeFileName(const QString &text, const QString &fallback)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            continue;
        name.append(refused.contains(c) ? QLatin1Char('_') : c);
    }
    // A leading dot hides the file (and "." or ".." name a folder); Windows
    // drops trailing dots and blanks on its own and then finds another file.
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    // 255 bytes is the common limit; stay well under it in UTF-8 so a suffix
    // and a counter still fit.
    while (name.toUtf8().size() > 180)
        name.chop(1);
    if (name.size() > 0 && name.back().isHighSurrogate())
        name.chop(1);
    static const QStringList reserved = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2",
                                         "COM3", "COM4", "LPT1", "LPT2", "LPT3"};
    if (reserved.contains(name.section(QLatin1Char('.'), 0, 0).toUpper()))
        name.prepend(QLatin1Char('_'));
    return name.isEmpty() ? fallback : name;
}

QString uniqueName(const QString &name, QSet<QString> &taken)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = name.left(name.size() - suffix.size());
    QString candidate = name;
    for (int n = 2; taken.contains(candidate.toLower()); ++n)
        candidate = QStringLiteral("%1_%2%3").arg(base).arg(n).arg(suffix);
    taken.insert(candidate.toLower());
    return candidate;
}

QString reportFileName(const QString &orderNumber, const QString &createdAt)
{
    const QDate date = QDate::fromString(createdAt.left(10), Qt::ISODate);
    const QString number = orderNumber.trimmed();
    QString base = number;
    if (date.isValid())
        base += (base.isEmpty() ? QString() : QStringLiteral("_")) +
                date.toString(QStringLiteral("yyyy-MM-dd"));
    return safeFileName(base, QStringLiteral("report")) + QStringLiteral(".pdf");
}

} // namespace ExportNaming

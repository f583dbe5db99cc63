#include "records/orderdisplay.h"

#include "i18n/langmanager.h"

namespace OrderDisplay {

Gender genderOf(const QString &stored)
{
    if (stored == QStringLiteral("男"))
        return Gender::Male;
    if (stored == QStringLiteral("女"))
        return Gender::Female;
    return Gender::Undisclosed;
}

QString genderText(const QString &stored, const GenderDefaults &defaults)
{
    switch (genderOf(stored)) {
    case Gender::Male:
        return uiText(QStringLiteral("common.gender.male"), QString::fromUtf8(defaults.male));
    case Gender::Female:
        return uiText(QStringLiteral("common.gender.female"), QString::fromUtf8(defaults.female));
    case Gender::Undisclosed:
        break;
    }
    return uiText(QStringLiteral("common.gender.private"), QString::fromUtf8(defaults.undisclosed));
}

QString orDash(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("-") : value;
}

QString ageText(int age)
{
    return age < 0 ? QStringLiteral("-") : QString::number(age);
}

static QString withoutTimeSeparator(const QString &createdAt)
{
    // Only a full "yyyy-MM-ddTHH:mm:ss" loses its fraction and the "T".
    if (createdAt.size() > 18)
        return createdAt.left(19).replace(QLatin1Char('T'), QLatin1Char(' '));
    return createdAt;
}

QString listCreatedAt(const QString &createdAt)
{
    if (createdAt.isEmpty())
        return QStringLiteral("-");
    return withoutTimeSeparator(createdAt).replace(QLatin1Char('-'), QLatin1Char('.'));
}

QString detailCreatedAt(const QString &createdAt)
{
    return orDash(withoutTimeSeparator(createdAt));
}

QString singleLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return line;
}

QString wrappable(const QString &text, int maxChars, int longestRun)
{
    const QChar zeroWidthSpace(0x200B);
    const QChar ellipsis(0x2026);
    QString shown;
    const bool cut = text.size() > maxChars;
    int length = cut ? maxChars : int(text.size());
    if (cut && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    shown.reserve(length + length / longestRun + 1);
    int run = 0;
    for (int i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            run = 0;
        } else if (++run > longestRun && !c.isLowSurrogate()) {
            shown.append(zeroWidthSpace);
            run = 1;
        }
        shown.append(c);
    }
    if (cut)
        shown.append(ellipsis);
    return shown;
}

} // namespace OrderDisplay

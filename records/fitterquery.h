#pragma once

#include "records/store/fitter.h"

#include <QList>
#include <QString>

// Searching the fitter list and the texts its table shows for a fitter.
namespace FitterQuery {

// Positions in `fitters` of those whose name, phone, skill or note contains
// `keyword` ignoring case, in list order; every position for an empty keyword.
// Positions rather than copies, so that fitters sharing an id stay apart.
QList<int> matching(const QList<Fitter> &fitters, const QString &keyword);

// "workId / clinicName", either one alone, or "-" when both are empty.
QString workOrClinicText(const Fitter &fitter);

// The text key and default text for a stored gender value; anything other
// than "男" or "女" reads as undisclosed.
struct GenderText
{
    const char *key;
    const char *defaultText;
};
GenderText genderText(const QString &stored);

} // namespace FitterQuery

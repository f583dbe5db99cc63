#include "records/fitterquery.h"

#include "i18n/langmanager.h"

namespace FitterQuery {

QList<int> matching(const QList<Fitter> &fitters, const QString &keyword)
{
    QList<int> positions;
    positions.reserve(fitters.size());
    for (int i = 0; i < fitters.size(); ++i) {
        const Fitter &f = fitters.at(i);
        if (keyword.isEmpty() || f.name.contains(keyword, Qt::CaseInsensitive) ||
            f.phone.contains(keyword, Qt::CaseInsensitive) ||
            f.skill.contains(keyword, Qt::CaseInsensitive) ||
            f.note.contains(keyword, Qt::CaseInsensitive))
            positions.append(i);
    }
    return positions;
}

QString workOrClinicText(const Fitter &fitter)
{
    if (!fitter.workId.isEmpty() && !fitter.clinicName.isEmpty())
        return fitter.workId + QStringLiteral(" / ") + fitter.clinicName;
    if (!fitter.workId.isEmpty())
        return fitter.workId;
    if (!fitter.clinicName.isEmpty())
        return fitter.clinicName;
    return QStringLiteral("-");
}

GenderText genderText(const QString &stored)
{
    if (stored == QStringLiteral("男"))
        return {textKey("common.gender.male"), "男"};
    if (stored == QStringLiteral("女"))
        return {textKey("common.gender.female"), "女"};
    return {textKey("common.gender.private"), "保密"};
}

} // namespace FitterQuery

#include "records/newinspector.h"

#include "records/store/recordstore.h"

#include <algorithm>

namespace NewInspector {

Problem check(const QString &workId, const QString &name, const QList<Fitter> &existing)
{
    if (workId.trimmed().isEmpty())
        return Problem::IdMissing;
    if (name.trimmed().isEmpty())
        return Problem::NameMissing;
    const QString id = workId.trimmed();
    const bool taken = std::any_of(existing.cbegin(), existing.cend(),
                                   [&id](const Fitter &f) { return f.workId == id; });
    return taken ? Problem::IdTaken : Problem::None;
}

Fitter make(const QString &workId, const QString &name, const QString &gender,
            const QList<Fitter> &existing)
{
    Fitter fitter;
    fitter.id = nextFitterId(existing);
    fitter.name = name.trimmed();
    fitter.workId = workId.trimmed();
    if (!gender.isEmpty())
        fitter.gender = gender;
    return fitter;
}

} // namespace NewInspector

#pragma once

#include "records/store/fitter.h"

#include <QList>
#include <QString>

// Creating an inspector from just an ID, a name and a gender.
namespace NewInspector {

enum class Problem { None, IdMissing, NameMissing, IdTaken };

// Checks the trimmed texts in the order the form asks for them. IDs are
// compared exactly: "a7" and "A7" are different inspectors.
Problem check(const QString &workId, const QString &name, const QList<Fitter> &existing);

// The new record: id one above the largest in `existing`, gender "保密" when
// none was chosen, every other field at its default.
Fitter make(const QString &workId, const QString &name, const QString &gender,
            const QList<Fitter> &existing);

} // namespace NewInspector

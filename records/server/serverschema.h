#pragma once

#include <QString>

class QSqlDatabase;

// The tables of a clinic server, created and brought up to date by the
// program itself. Each upgrade step runs in one transaction under a lock, so
// two workstations starting at once cannot both apply it, and a failed step
// leaves the previous version intact.
namespace ServerSchema {

// The version this program writes; a server with a newer one is left alone.
constexpr int CurrentVersion = 2;

// The version found on the server: 0 when it holds none of our tables yet,
// -1 when it cannot be read (`error` says why).
int version(QSqlDatabase &db, QString *error = nullptr);

// Applies the missing steps up to `target`. False (with `error`) when a step
// fails or the server is newer than `target`; nothing of a failed step stays.
bool upgrade(QSqlDatabase &db, int target = CurrentVersion, QString *error = nullptr);

} // namespace ServerSchema

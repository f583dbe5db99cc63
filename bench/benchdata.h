#pragma once

#include "records/store/customer.h"

#include <QString>
#include <QStringList>

// Store contents for the benchmarks: pictures as large as real ones and the
// year-sized store of a busy clinic, generated once into the build folder.
namespace BenchData {

// An ear-like picture with grain, so the JPEG is as large as a real photo.
QString grainyEntry(int seed);
// What an otoscope shows, as a "name|base64" entry.
QString cameraEntry(int seed, const QString &name);
// Order `id` of the year: ten a day, the last ones today, four of `photos`.
Customer orderFor(int id, const QStringList &photos);
// customers.json with `orders` year orders, kept in the build folder's
// bench-data/ under `name` and made on first use; empty when it cannot be written.
QString cachedStore(const QString &name, int orders);

} // namespace BenchData

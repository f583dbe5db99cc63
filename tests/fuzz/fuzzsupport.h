#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Shared by the fuzz targets and by the replay of their corpora.
namespace FuzzSupport {

// Silences Qt's log (parsers log what they drop) and sets up what the
// targets share; cheap after the first call.
void setUp();

// Aborts with `what` unless `condition` holds: the fuzzer keeps the input as
// a finding, and the corpus replay fails.
void check(bool condition, const char *what, const QByteArray &detail = QByteArray());

// A folder of this process's own for files the targets write; removed at exit.
QString scratchDirectory();

// Replaces the file at `path` with `bytes` (no syncing: scratch files only).
void writeScratchFile(const QString &path, const QByteArray &bytes);

QByteArray bytesOf(const uint8_t *data, size_t size);

} // namespace FuzzSupport

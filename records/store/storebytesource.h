#pragma once

#include <QtGlobal>

// Bytes of a stored file read at explicit 64-bit positions. Positioned reads
// instead of a memory map: another program may truncate the file in place
// while we read it, which a read reports and a map answers with SIGBUS.
class StoreByteSource
{
public:
    virtual ~StoreByteSource() = default;

    virtual qint64 size() const = 0;
    // Up to `maxSize` bytes from `offset` into `data`: the count read, 0 at
    // the end, -1 on a read error. Called from two threads at once while a
    // scan reads ahead.
    virtual qint64 readAt(qint64 offset, char *data, qint64 maxSize) = 0;
};

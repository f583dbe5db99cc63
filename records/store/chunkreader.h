#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <condition_variable>
#include <mutex>
#include <thread>

class StoreByteSource;

// Reads a source from its start to its end, chunk after chunk. For a source of
// several chunks the next chunk is read on a thread of its own while the caller
// works on the current one: copying the bytes out of the file is the larger
// part of scanning a store, and on a second core the two overlap.
class ChunkReader
{
public:
    ChunkReader(StoreByteSource &source, qint64 chunkSize);
    ~ChunkReader();
    ChunkReader(const ChunkReader &) = delete;
    ChunkReader &operator=(const ChunkReader &) = delete;

    // The next chunk, valid until the next call; empty at the end and after a
    // failed read.
    QByteArrayView next();
    // The source could not be read to its end.
    bool failed() const { return m_failed; }

private:
    static constexpr int SlotCount = 3;
    struct Slot
    {
        QByteArray buffer;
        qint64 length = 0; // -1 after a failed read
        bool filled = false;
    };

    qint64 readInto(Slot &slot, qint64 offset);
    void readAhead();

    StoreByteSource &m_source;
    const qint64 m_total;
    const qint64 m_chunkSize;
    qint64 m_consumed = 0;
    int m_current = -1; // the slot handed out last
    int m_next = 0;
    bool m_failed = false;
    Slot m_slots[SlotCount];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::thread m_reader;
};

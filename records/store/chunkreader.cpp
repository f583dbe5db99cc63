#include "records/store/chunkreader.h"

#include "records/store/storebytesource.h"

#include <algorithm>

ChunkReader::ChunkReader(StoreByteSource &source, qint64 chunkSize)
    : m_source(source), m_total(source.size()), m_chunkSize(chunkSize)
{
    // A thread pays off only when there is something to read meanwhile.
    const bool ahead = m_total > 2 * m_chunkSize;
    for (int i = ahead ? 0 : SlotCount - 1; i < SlotCount; ++i)
        m_slots[i].buffer.resize(qsizetype(std::min(m_chunkSize, m_total)));
    if (ahead)
        m_reader = std::thread([this] { readAhead(); });
}

ChunkReader::~ChunkReader()
{
    if (!m_reader.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_reader.join();
}

qint64 ChunkReader::readInto(Slot &slot, qint64 offset)
{
    return m_source.readAt(offset, slot.buffer.data(), std::min(m_chunkSize, m_total - offset));
}

void ChunkReader::readAhead()
{
    qint64 offset = 0;
    for (int index = 0; offset < m_total; index = (index + 1) % SlotCount) {
        Slot &slot = m_slots[index];
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return !slot.filled || m_stop; });
            if (m_stop)
                return;
        }
        const qint64 n = readInto(slot, offset);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            slot.length = n > 0 ? n : -1;
            slot.filled = true;
        }
        m_changed.notify_all();
        if (n <= 0)
            return;
        offset += n;
    }
}

QByteArrayView ChunkReader::next()
{
    if (m_failed || m_consumed >= m_total)
        return {};
    if (!m_reader.joinable()) {
        Slot &slot = m_slots[SlotCount - 1];
        const qint64 n = readInto(slot, m_consumed);
        if (n <= 0) {
            m_failed = true; // cut short or a read error: the source is not all there
            return {};
        }
        m_consumed += n;
        return {slot.buffer.constData(), n};
    }
    Slot &slot = m_slots[m_next];
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_current >= 0)
            m_slots[m_current].filled = false;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return slot.filled; });
    }
    if (slot.length < 0) {
        m_failed = true;
        return {};
    }
    m_current = m_next;
    m_next = (m_next + 1) % SlotCount;
    m_consumed += slot.length;
    return {slot.buffer.constData(), slot.length};
}

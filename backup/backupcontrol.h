#pragma once

#include <QtGlobal>

#include <atomic>

// Shared between a backup or restore running on a worker thread and the
// window that shows it: how far the work is, and whether the user asked to
// stop. Both sides only touch atomics, so the window can poll it.
class BackupControl
{
public:
    void setTotal(qint64 total) { m_total = total; }
    void advance(qint64 bytes) { m_done += bytes; }
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }

    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

private:
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::atomic_bool m_cancelled{false};
};

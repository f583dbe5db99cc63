#pragma once

#include <QLockFile>
#include <QString>

// One running copy of the program per data folder: two copies would give
// their new orders the same id, and the later save would drop the other's.
// The lock lasts as long as this object; one left by a copy that crashed is
// taken over.
class InstanceLock
{
public:
    enum class Result { Acquired, AlreadyRunning, NotPossible };

    explicit InstanceLock(const QString &dataDirectory);

    // NotPossible when the lock file cannot be made at all (a read-only
    // folder): the program may still start, it cannot save either.
    Result acquire();

private:
    QLockFile m_lock;
};

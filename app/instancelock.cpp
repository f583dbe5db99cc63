#include "app/instancelock.h"

#include <QDebug>

InstanceLock::InstanceLock(const QString &dataDirectory)
    : m_lock(dataDirectory + QStringLiteral("/lumaural.lock"))
{
    // Held for the whole run: only a dead holder makes it stale, never its age,
    // also where the holder runs on another machine and cannot be checked.
    m_lock.setStaleLockTime(0);
}

InstanceLock::Result InstanceLock::acquire()
{
    if (m_lock.tryLock(0))
        return Result::Acquired;
    if (m_lock.error() == QLockFile::LockFailedError)
        return Result::AlreadyRunning;
    qWarning() << "Cannot create the instance lock in the data folder:" << m_lock.error();
    return Result::NotPossible;
}

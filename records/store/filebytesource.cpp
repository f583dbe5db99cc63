#include "records/store/filebytesource.h"

#include <QFileInfo>

#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

FileByteSource::FileByteSource(const QString &path) : m_file(path)
{
    const QFileInfo info(path);
    m_exists = info.exists();
    // Only a regular file is opened: a folder cannot be read, a pipe would block.
    if (!m_exists || !info.isFile() || !m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
#ifdef Q_OS_WIN
    m_identity = FileIdentity::ofPath(path);
#else
    m_identity = FileIdentity::ofHandle(m_file.handle());
#if defined(POSIX_FADV_SEQUENTIAL)
    ::posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
#endif
    if (!m_identity.isValid())
        m_file.close();
}

FileIdentity FileByteSource::currentIdentity() const
{
#ifdef Q_OS_WIN
    return FileIdentity::ofPath(m_file.fileName());
#else
    return m_file.isOpen() ? FileIdentity::ofHandle(m_file.handle()) : FileIdentity();
#endif
}

qint64 FileByteSource::readAt(qint64 offset, char *data, qint64 maxSize)
{
    if (!m_file.isOpen() || offset < 0 || maxSize < 0)
        return -1;
#ifdef Q_OS_WIN
    const std::lock_guard<std::mutex> lock(m_seekLock);
    if (!m_file.seek(offset))
        return -1;
    return m_file.read(data, maxSize);
#else
    for (;;) {
        const ssize_t n = ::pread(m_file.handle(), data, size_t(maxSize), off_t(offset));
        if (n >= 0)
            return qint64(n);
        if (errno != EINTR)
            return -1;
    }
#endif
}

bool FileByteSource::readFully(qint64 offset, char *data, qint64 length)
{
    while (length > 0) {
        const qint64 n = readAt(offset, data, length);
        if (n <= 0)
            return false;
        offset += n;
        data += n;
        length -= n;
    }
    return true;
}

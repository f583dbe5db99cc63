#include "records/store/fileidentity.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <sys/stat.h>
#endif

#ifndef Q_OS_WIN
namespace {

FileIdentity::Parts partsOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

} // namespace
#endif

FileIdentity::FileIdentity(const Parts &parts)
    : m_valid(true), m_device(parts.device), m_inode(parts.inode), m_size(parts.size),
      m_modifiedNs(parts.modifiedNs)
{
}

FileIdentity FileIdentity::ofPath(const QString &path)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return FileIdentity(
        Parts{0, 0, info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000});
#else
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return FileIdentity(partsOf(info));
#endif
}

FileIdentity FileIdentity::ofHandle(int handle)
{
#ifdef Q_OS_WIN
    Q_UNUSED(handle);
    return {};
#else
    struct stat info
    {
    };
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return FileIdentity(partsOf(info));
#endif
}

bool FileIdentity::operator==(const FileIdentity &other) const
{
    return m_valid == other.m_valid && m_device == other.m_device && m_inode == other.m_inode &&
           m_size == other.m_size && m_modifiedNs == other.m_modifiedNs;
}

#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path names and in what state: device, inode, size and
// modification time to the nanosecond. Two equal identities mean the bytes
// this process read or wrote are still the ones on disk, short of an in-place
// rewrite of the same size within one clock tick.
class FileIdentity
{
public:
    struct Parts
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
    };

    FileIdentity() = default;
    explicit FileIdentity(const Parts &parts);

    // Invalid when there is no regular file at `path`.
    static FileIdentity ofPath(const QString &path);
    // Of an open file; invalid when the handle is not a regular file.
    static FileIdentity ofHandle(int handle);

    bool isValid() const { return m_valid; }
    qint64 size() const { return m_size; }

    bool operator==(const FileIdentity &other) const;
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }

private:
    bool m_valid = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = -1;
    qint64 m_modifiedNs = 0;
};

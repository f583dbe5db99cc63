#pragma once

#include "records/store/fileidentity.h"
#include "records/store/storebytesource.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <mutex>
#endif

// An open stored file as a StoreByteSource. The identity and size are taken
// from the open handle, so they describe exactly the file being read.
class FileByteSource : public StoreByteSource
{
public:
    explicit FileByteSource(const QString &path);

    // False when the file is missing, not a regular file or cannot be opened.
    bool isOpen() const { return m_identity.isValid(); }
    bool exists() const { return m_exists; }
    const FileIdentity &identity() const { return m_identity; }
    // The identity the open file has now; differs from identity() once the
    // file was written to since it was opened.
    FileIdentity currentIdentity() const;
    int handle() const { return m_file.handle(); }

    qint64 size() const override { return m_identity.size(); }
    qint64 readAt(qint64 offset, char *data, qint64 maxSize) override;
    // Reads exactly `length` bytes from `offset`; false on a short read.
    bool readFully(qint64 offset, char *data, qint64 length);

private:
    QFile m_file;
    FileIdentity m_identity;
    bool m_exists = false;
#ifdef Q_OS_WIN
    std::mutex m_seekLock; // a read there is a seek and a read
#endif
};

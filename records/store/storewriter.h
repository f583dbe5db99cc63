#pragma once

#include "records/store/customer.h"
#include "records/store/storedphoto.h"

#include <QByteArray>
#include <QList>

class FileByteSource;
class QFileDevice;

// Streams orders out as the indented JSON Qt's writer would produce for
// {"customers": [...]}, byte for byte, without building the document: the
// fields are written as they come and every photo that lies in `source` is
// copied from it unchanged.
class StoreWriter
{
public:
    // Writes to the open, unbuffered `out` from its current position; photos
    // that reference the file `source` reads (when given) are copied from it.
    StoreWriter(QFileDevice *out, FileByteSource *source);

    // False when a write failed (a full disk, a size limit) or a photo could
    // not be read; the output is then incomplete.
    bool write(const QList<Customer> &customers);

    qint64 size() const { return m_written + m_pending.size(); }
    // Where each written photo's text lies in the output, by order and photo.
    const QList<QList<StoredPhoto::Location>> &locations() const { return m_locations; }

private:
    void append(const char *text) { m_pending.append(text); }
    void append(const QByteArray &text) { m_pending.append(text); }
    bool flushIfFull();
    bool flush();
    bool putBytes(const char *data, qint64 size);
    bool copyFromSource(qint64 offset, qint64 length);
    bool writeOrder(const Customer &customer, QList<StoredPhoto::Location> *locations);
    bool writePhoto(const StoredPhoto &photo, StoredPhoto::Location *location);

    QFileDevice *m_out;
    FileByteSource *m_source;
    QByteArray m_pending;
    qint64 m_written = 0;
    qint64 m_writeBackFrom = 0;
    QList<QList<StoredPhoto::Location>> m_locations;
};

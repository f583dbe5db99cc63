#include "records/store/storewriter.h"

#include "records/store/filebytesource.h"
#include "records/store/jsontext.h"

#include <algorithm>

#include <QFileDevice>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace {

// Writes of half a megabyte: the bytes copied from the old file are still in
// the processor's cache when they are written. Measured on a 2 GB store, 4 MiB
// writes made a save two to four times slower.
constexpr qsizetype FlushSize = qsizetype(512) << 10;
constexpr qint64 WriteBackStep = qint64(32) << 20;

const char *const OrderIndent = "        ";
const char *const FieldIndent = "            ";
const char *const PhotoIndent = "                ";

} // namespace

StoreWriter::StoreWriter(QFileDevice *out, FileByteSource *source) : m_out(out), m_source(source)
{
    // Room for a full buffer plus one more chunk of a photo: no regrowth.
    m_pending.reserve(2 * FlushSize + 65536);
}

bool StoreWriter::putBytes(const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 chunk = std::min<qint64>(size, qint64(1) << 30);
        const qint64 n = m_out->write(data, chunk);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        m_written += n;
    }
    return true;
}

bool StoreWriter::flush()
{
    const bool ok = putBytes(m_pending.constData(), m_pending.size());
    m_pending.resize(0); // keeps the buffer
#ifdef Q_OS_LINUX
    // Start writing back what is written so far: gigabytes left dirty until
    // the final sync get the writer throttled and make that sync long.
    if (ok && m_written - m_writeBackFrom >= WriteBackStep) {
        ::sync_file_range(m_out->handle(), m_writeBackFrom, m_written - m_writeBackFrom,
                          SYNC_FILE_RANGE_WRITE);
        m_writeBackFrom = m_written;
    }
#endif
    return ok;
}

bool StoreWriter::flushIfFull()
{
    return m_pending.size() < FlushSize || flush();
}

bool StoreWriter::copyFromSource(qint64 offset, qint64 length)
{
    // Read straight into the output buffer, which goes out in writes of FlushSize.
    // The kernel's own copy (copy_file_range) is slower here: a photo's place
    // in the new file is rarely aligned to the page as it was in the old one.
    while (length > 0) {
        const qint64 chunk = std::min<qint64>(length, FlushSize);
        const qsizetype at = m_pending.size();
        m_pending.resize(at + chunk);
        if (!m_source->readFully(offset, m_pending.data() + at, chunk) || !flushIfFull())
            return false;
        offset += chunk;
        length -= chunk;
    }
    return true;
}

bool StoreWriter::writePhoto(const StoredPhoto &photo, StoredPhoto::Location *location)
{
    append(PhotoIndent);
    append("\"");
    location->offset = size();
    if (photo.isReference() && m_source != nullptr && !photo.location().escaped &&
        photo.origin()->identity == m_source->identity()) {
        location->length = photo.location().length;
        location->escaped = false;
        if (!copyFromSource(photo.location().offset, photo.location().length))
            return false;
    } else {
        bool ok = true;
        // Never the store's lookup from here: this may run on a worker thread.
        QByteArray text = photo.jsonText(&ok, false);
        if (!ok)
            return false;
        // Written as Qt writes it; that may differ from a hand-edited file.
        if (photo.isReference() &&
            JsonText::findSpecial(text.constData(), text.size()) < text.size()) {
            const QString entry = JsonText::decode(text, &ok);
            if (!ok)
                return false;
            text = JsonText::quoted(entry);
            text = text.mid(1, text.size() - 2);
        }
        location->length = text.size();
        location->escaped = JsonText::findSpecial(text.constData(), text.size()) < text.size();
        append(text);
    }
    append("\"");
    return true;
}

bool StoreWriter::writeOrder(const Customer &c, QList<StoredPhoto::Location> *locations)
{
    const auto field = [this](const char *key, const QByteArray &value) {
        append(FieldIndent);
        append("\"");
        append(key);
        append("\": ");
        append(value);
        append(",\n");
    };
    const auto string = [&](const char *key, const QString &value) {
        field(key, JsonText::quoted(value));
    };
    const auto number = [&](const char *key, int value) { field(key, QByteArray::number(value)); };
    append(OrderIndent);
    append("{\n");
    // Qt writes members sorted by name.
    string("address", c.address);
    number("age", c.age);
    string("birthDate", c.birthDate);
    string("createdAt", c.createdAt);
    string("diagnosis", c.diagnosis);
    string("email", c.email);
    string("fitterClinic", c.fitterClinic);
    number("fitterId", c.fitterId);
    string("fitterName", c.fitterName);
    string("fitterWorkId", c.fitterWorkId);
    string("gender", c.gender);
    number("id", c.id);
    string("name", c.name);
    string("notes", c.notes);
    string("orderNumber", c.orderNumber);
    string("patientId", c.patientId);
    string("phone", c.phone);
    append(FieldIndent);
    append("\"photos\": [\n");
    locations->resize(c.photos.size());
    for (qsizetype i = 0; i < c.photos.size(); ++i) {
        if (!writePhoto(c.photos.at(i), &(*locations)[i]))
            return false;
        append(i + 1 < c.photos.size() ? ",\n" : "\n");
        if (!flushIfFull())
            return false;
    }
    append(FieldIndent);
    append("]\n");
    append(OrderIndent);
    append("}");
    return true;
}

bool StoreWriter::write(const QList<Customer> &customers)
{
    m_locations.clear();
    m_locations.reserve(customers.size());
    append("{\n    \"customers\": [\n");
    for (qsizetype i = 0; i < customers.size(); ++i) {
        m_locations.append(QList<StoredPhoto::Location>());
        if (!writeOrder(customers.at(i), &m_locations.last()))
            return false;
        append(i + 1 < customers.size() ? ",\n" : "\n");
        if (!flushIfFull())
            return false;
    }
    append("    ]\n}\n");
    return flush();
}

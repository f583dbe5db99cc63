#include "records/store/storescanner.h"

#include "records/store/chunkreader.h"
#include "records/store/jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 ChunkSize = qint64(4) << 20;
// How much of a photo's text is kept while scanning it: enough for its name.
constexpr qint64 HeadSize = 4096;
// A number, true, false or null longer than this is no JSON value.
constexpr qsizetype MaxTokenSize = 1024;

bool isSpace(int c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool isDelimiter(int c)
{
    return c < 0 || isSpace(c) || c == ',' || c == ']' || c == '}' || c == ':';
}

// The source's bytes one chunk at a time, with positioned reads of its own
// for what lies behind.
class Cursor
{
public:
    explicit Cursor(StoreByteSource &source) : m_source(source), m_chunks(source, ChunkSize) {}

    bool failed() const { return m_failed || m_chunks.failed(); }
    qint64 position() const { return m_start + m_at; }
    const char *data() const { return m_data + m_at; }
    qint64 available() const { return m_length - m_at; }
    void skip(qint64 count) { m_at += count; }

    // The next byte, or -1 at the end (or after a failed read).
    int peek()
    {
        if (m_at == m_length && !refill())
            return -1;
        return uchar(m_data[m_at]);
    }
    int next()
    {
        const int c = peek();
        if (c >= 0)
            ++m_at;
        return c;
    }
    void skipSpace()
    {
        for (;;) {
            // Long runs of indentation go eight bytes at a time.
            while (m_length - m_at >= 8 && std::memcmp(m_data + m_at, "        ", 8) == 0)
                m_at += 8;
            while (m_at < m_length && isSpace(uchar(m_data[m_at])))
                ++m_at;
            if (m_at < m_length || !refill())
                return;
        }
    }
    bool readAt(qint64 offset, char *data, qint64 size)
    {
        while (size > 0) {
            const qint64 n = m_source.readAt(offset, data, size);
            if (n <= 0) {
                m_failed = true;
                return false;
            }
            offset += n;
            data += n;
            size -= n;
        }
        return true;
    }

private:
    bool refill()
    {
        const QByteArrayView chunk = m_chunks.next();
        if (chunk.isEmpty())
            return false;
        m_start += m_length;
        m_data = chunk.data();
        m_at = 0;
        m_length = chunk.size();
        return true;
    }

    StoreByteSource &m_source;
    ChunkReader m_chunks;
    const char *m_data = nullptr;
    qint64 m_start = 0;
    qint64 m_at = 0;
    qint64 m_length = 0;
    bool m_failed = false;
};

struct PhotoSpot
{
    StoredPhoto::Location location;
    QString name;
};

class Scan
{
public:
    Scan(StoreByteSource &source, std::shared_ptr<const StoredPhoto::Origin> origin)
        : m_cursor(source), m_origin(std::move(origin))
    {
    }

    StoreScanner::Result run()
    {
        StoreScanner::Result result;
        result.status = document(&result.customers);
        if (m_cursor.failed())
            result.status = StoreScanner::Status::ReadError;
        if (result.status != StoreScanner::Status::Ok)
            result.customers.clear();
        return result;
    }

private:
    StoreScanner::Status document(QList<Customer> *customers)
    {
        using Status = StoreScanner::Status;
        skipByteOrderMark();
        m_cursor.skipSpace();
        if (m_cursor.peek() < 0)
            return Status::Empty;
        if (m_cursor.next() != '{')
            return Status::Damaged;
        bool customersIsArray = true;
        m_cursor.skipSpace();
        if (m_cursor.peek() == '}') {
            m_cursor.next();
        } else {
            for (;;) {
                QByteArray key;
                // Qt's reader refuses the whole file for a bad key (a stray
                // byte of broken UTF-8, say): it must not pass for a file
                // without orders.
                if (!copyString(&key) || !valid(key))
                    return Status::Damaged;
                m_cursor.skipSpace();
                if (m_cursor.next() != ':')
                    return Status::Damaged;
                m_cursor.skipSpace();
                if (keyIs(key, "customers") && m_cursor.peek() == '[') {
                    customers->clear();
                    if (!orders(customers))
                        return Status::Damaged;
                    customersIsArray = true;
                } else {
                    QByteArray value;
                    if (!copyValue(&value) || !valid(value))
                        return Status::Damaged;
                    if (keyIs(key, "customers")) {
                        customers->clear();
                        customersIsArray = false;
                    }
                }
                m_cursor.skipSpace();
                const int c = m_cursor.next();
                if (c == '}')
                    break;
                if (c != ',')
                    return Status::Damaged;
                m_cursor.skipSpace();
            }
        }
        m_cursor.skipSpace();
        if (m_cursor.peek() >= 0 || !customersIsArray)
            return Status::Damaged;
        return Status::Ok;
    }

    void skipByteOrderMark()
    {
        if (m_cursor.peek() == 0xef && m_cursor.available() >= 3 &&
            std::memcmp(m_cursor.data(), "\xef\xbb\xbf", 3) == 0)
            m_cursor.skip(3);
    }

    static bool keyIs(const QByteArray &quotedKey, const char *name)
    {
        const QByteArray text = quotedKey.mid(1, quotedKey.size() - 2);
        if (!text.contains('\\'))
            return text == name;
        bool ok = false;
        return JsonText::decode(text, &ok) == QLatin1String(name) && ok;
    }

    // Whether `value` is one JSON value as Qt reads it.
    static bool valid(const QByteArray &value)
    {
        QJsonParseError error{};
        QJsonDocument::fromJson('[' + value + ']', &error);
        return error.error == QJsonParseError::NoError;
    }

    bool orders(QList<Customer> *customers)
    {
        m_cursor.next(); // '['
        m_cursor.skipSpace();
        if (m_cursor.peek() == ']') {
            m_cursor.next();
            return true;
        }
        for (;;) {
            m_cursor.skipSpace();
            Customer customer;
            if (m_cursor.peek() == '{') {
                if (!order(&customer))
                    return false;
            } else {
                // Not an object: an order with every field at its default.
                QByteArray value;
                if (!copyValue(&value) || !valid(value))
                    return false;
            }
            customers->append(customer);
            m_cursor.skipSpace();
            const int c = m_cursor.next();
            if (c == ']')
                return true;
            if (c != ',')
                return false;
        }
    }

    // One order object: its members are copied for Qt's reader, except each
    // long photo text, which is replaced by a placeholder naming its spot.
    bool order(Customer *customer)
    {
        m_object.clear();
        m_spots.clear();
        m_object.append(char(m_cursor.next()));
        m_cursor.skipSpace();
        if (m_cursor.peek() == '}') {
            m_object.append(char(m_cursor.next()));
        } else {
            for (;;) {
                QByteArray key;
                if (!copyString(&key))
                    return false;
                m_object.append(key);
                m_cursor.skipSpace();
                if (m_cursor.next() != ':')
                    return false;
                m_object.append(':');
                m_cursor.skipSpace();
                const bool ok = keyIs(key, "photos") && m_cursor.peek() == '['
                                    ? photos()
                                    : copyValue(&m_object);
                if (!ok)
                    return false;
                m_cursor.skipSpace();
                const int c = m_cursor.next();
                if (c != ',' && c != '}')
                    return false;
                m_object.append(char(c));
                if (c == '}')
                    break;
                m_cursor.skipSpace();
            }
        }
        const QJsonDocument parsed = QJsonDocument::fromJson(m_object);
        if (!parsed.isObject())
            return false;
        *customer = Customer::fromJson(parsed.object());
        for (qsizetype i = 0; i < customer->photos.size(); ++i) {
            const QString text = customer->photos.at(i).entry();
            if (text.isEmpty() || text.front() != QChar(0))
                continue;
            bool number = false;
            const int spot = text.mid(1).toInt(&number);
            if (!number || spot < 0 || spot >= int(m_spots.size()))
                continue;
            customer->photos[i] =
                StoredPhoto::reference(m_origin, m_spots[size_t(spot)].location,
                                       m_spots[size_t(spot)].name, customer->id, int(i));
        }
        return true;
    }

    bool photos()
    {
        m_object.append(char(m_cursor.next())); // '['
        m_cursor.skipSpace();
        if (m_cursor.peek() == ']') {
            m_object.append(char(m_cursor.next()));
            return true;
        }
        for (;;) {
            m_cursor.skipSpace();
            const bool ok = m_cursor.peek() == '"' ? photo() : copyValue(&m_object);
            if (!ok)
                return false;
            m_cursor.skipSpace();
            const int c = m_cursor.next();
            if (c != ',' && c != ']')
                return false;
            m_object.append(char(c));
            if (c == ']')
                return true;
        }
    }

    // One photo's text: at the speed of a memory scan while it holds nothing
    // but plain ASCII, which Base64 and the usual names are.
    bool photo()
    {
        m_cursor.next(); // the opening quote
        const qint64 start = m_cursor.position();
        QByteArray head;
        qint64 bar = -1;
        bool barBeyondHead = false;
        for (;;) {
            if (m_cursor.peek() < 0)
                return false;
            const qint64 count = m_cursor.available();
            const char *data = m_cursor.data();
            const qint64 plain = JsonText::findSpecial(data, count);
            if (bar < 0) {
                const auto *found =
                    static_cast<const char *>(std::memchr(data, '|', size_t(plain)));
                if (found != nullptr) {
                    bar = m_cursor.position() + (found - data) - start;
                    barBeyondHead = bar > HeadSize;
                }
            }
            if (head.size() < HeadSize)
                head.append(data, std::min(plain, HeadSize - head.size()));
            m_cursor.skip(plain);
            if (plain == count)
                continue;
            if (m_cursor.peek() != '"')
                return escapedPhoto(start);
            break;
        }
        const qint64 length = m_cursor.position() - start;
        m_cursor.next(); // the closing quote
        if (length < StoreScanner::InlineLimit) {
            m_object.append('"').append(head).append('"');
            return true;
        }
        QString name;
        if (barBeyondHead) {
            QByteArray prefix(bar, Qt::Uninitialized);
            if (!m_cursor.readAt(start, prefix.data(), bar))
                return false;
            name = QString::fromLatin1(prefix);
        } else if (bar >= 0) {
            name = QString::fromLatin1(head.left(bar));
        }
        addSpot({start, length, false}, name);
        return true;
    }

    // A photo text with escapes or non-ASCII bytes: found to its end byte by
    // byte, then read again whole and decoded by Qt.
    bool escapedPhoto(qint64 start)
    {
        for (;;) {
            const int c = m_cursor.next();
            if (c < 0)
                return false;
            if (c == '"')
                break;
            if (c == '\\' && m_cursor.next() < 0)
                return false;
        }
        const qint64 length = m_cursor.position() - 1 - start;
        QByteArray text(length, Qt::Uninitialized);
        if (!m_cursor.readAt(start, text.data(), length))
            return false;
        bool ok = false;
        const QString entry = JsonText::decode(text, &ok);
        if (!ok)
            return false;
        // A text that starts with NUL would pass for a placeholder after the
        // parse below, so it goes by its place in the file as a long one does.
        if (length < StoreScanner::InlineLimit && !entry.startsWith(QChar(0))) {
            m_object.append('"').append(text).append('"');
            return true;
        }
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        addSpot({start, length, true}, bar < 0 ? QString() : entry.left(bar));
        return true;
    }

    void addSpot(const StoredPhoto::Location &location, const QString &name)
    {
        m_object.append("\"\\u0000").append(QByteArray::number(qint64(m_spots.size()))).append('"');
        m_spots.push_back({location, name});
    }

    // A string with its quotes, as it stands in the file.
    bool copyString(QByteArray *out)
    {
        if (m_cursor.next() != '"')
            return false;
        out->append('"');
        for (;;) {
            if (m_cursor.peek() < 0)
                return false;
            const char *data = m_cursor.data();
            const qint64 count = m_cursor.available();
            qint64 i = 0;
            while (i < count && data[i] != '"' && data[i] != '\\')
                ++i;
            out->append(data, i);
            m_cursor.skip(i);
            if (i == count)
                continue;
            const int c = m_cursor.next();
            out->append(char(c));
            if (c == '"')
                return true;
            const int escaped = m_cursor.next();
            if (escaped < 0)
                return false;
            out->append(char(escaped));
        }
    }

    // One value as it stands (white space between tokens dropped); Qt's
    // reader checks it afterwards.
    bool copyValue(QByteArray *out)
    {
        int depth = 0;
        // Two numbers or literals apart only by white space ("n ull", "1 2")
        // would run together once the space is dropped.
        bool afterToken = false;
        for (;;) {
            m_cursor.skipSpace();
            const int c = m_cursor.peek();
            if (c < 0)
                return false;
            const bool tokenBefore = afterToken;
            afterToken = false;
            if (c == '"') {
                if (!copyString(out))
                    return false;
            } else if (c == '{' || c == '[') {
                out->append(char(m_cursor.next()));
                ++depth;
                continue;
            } else if (c == '}' || c == ']') {
                if (depth == 0)
                    return false;
                out->append(char(m_cursor.next()));
                --depth;
            } else if (c == ',' || c == ':') {
                if (depth == 0)
                    return false;
                out->append(char(m_cursor.next()));
                continue;
            } else {
                if (tokenBefore)
                    return false;
                qsizetype length = 0;
                while (!isDelimiter(m_cursor.peek()) && length++ < MaxTokenSize)
                    out->append(char(m_cursor.next()));
                if (length == 0 || length > MaxTokenSize)
                    return false;
                afterToken = true;
            }
            if (depth == 0)
                return true;
        }
    }

    Cursor m_cursor;
    std::shared_ptr<const StoredPhoto::Origin> m_origin;
    QByteArray m_object;
    std::vector<PhotoSpot> m_spots;
};

} // namespace

StoreScanner::Result StoreScanner::scan(StoreByteSource &source,
                                        std::shared_ptr<const StoredPhoto::Origin> origin)
{
    return Scan(source, std::move(origin)).run();
}

#include "records/store/storedphoto.h"

#include "records/store/customerstore.h"
#include "records/store/filebytesource.h"
#include "records/store/jsontext.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QString nameOfEntry(const QString &entry)
{
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.left(bar);
}

// The Base64 part of an entry's text: after the first "|", or all of it.
QByteArray base64Of(const QByteArray &text)
{
    const qsizetype bar = text.indexOf('|');
    return bar < 0 ? text : text.mid(bar + 1);
}

QImage decodeImage(QByteArray bytes, const QSize &box)
{
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (box.isEmpty())
        return reader.read();
    const QSize full = reader.size();
    if (full.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatioByExpanding));
    const QImage image = reader.read();
    if (image.isNull())
        return image;
    const QSize target = image.size().scaled(box, Qt::KeepAspectRatioByExpanding);
    const QImage covering = image.size() == target ? image
                                                   : image.scaled(target, Qt::IgnoreAspectRatio,
                                                                  Qt::SmoothTransformation);
    const QRect centre((covering.width() - box.width()) / 2, (covering.height() - box.height()) / 2,
                       box.width(), box.height());
    return covering.copy(centre);
}

} // namespace

StoredPhoto::StoredPhoto(const QString &entry) : m_name(nameOfEntry(entry)), m_entry(entry) {}

StoredPhoto::StoredPhoto(const char *entry) : StoredPhoto(QString::fromUtf8(entry)) {}

StoredPhoto StoredPhoto::reference(std::shared_ptr<const Origin> origin, const Location &location,
                                   const QString &name, int orderId, int index)
{
    StoredPhoto photo;
    photo.m_name = name;
    photo.m_origin = std::move(origin);
    photo.m_location = location;
    photo.m_orderId = orderId;
    photo.m_index = index;
    return photo;
}

bool StoredPhoto::readAtOrigin(QByteArray *text) const
{
    FileByteSource file(m_origin->path);
    if (!file.isOpen() || file.identity() != m_origin->identity)
        return false;
    // The quotes around the text are read too: bytes that are not where the
    // scan found them mean the file was rewritten in place behind our back.
    const Location &at = m_location;
    QByteArray bytes(at.length + 2, Qt::Uninitialized);
    if (at.offset < 1 || !file.readFully(at.offset - 1, bytes.data(), bytes.size()) ||
        bytes.front() != '"' || bytes.back() != '"')
        return false;
    *text = bytes.mid(1, at.length);
    return true;
}

bool StoredPhoto::readReference(QByteArray *text, bool *escaped) const
{
    *escaped = m_location.escaped;
    if (readAtOrigin(text))
        return true;
    const StoredPhoto moved = CustomerStore::instance().relocate(*this);
    if (!moved.isReference() || moved.m_origin == m_origin)
        return false;
    *escaped = moved.m_location.escaped;
    return moved.readAtOrigin(text);
}

QString StoredPhoto::entry() const
{
    if (!isReference())
        return m_entry;
    QByteArray text;
    bool escaped = false;
    if (!readReference(&text, &escaped))
        return {};
    return escaped ? JsonText::decode(text, nullptr) : QString::fromLatin1(text);
}

QByteArray StoredPhoto::jsonText(bool *ok, bool followMoves) const
{
    if (ok)
        *ok = true;
    if (!isReference()) {
        const QByteArray quoted = JsonText::quoted(m_entry);
        return quoted.mid(1, quoted.size() - 2);
    }
    QByteArray text;
    bool escaped = false;
    const bool read = followMoves ? readReference(&text, &escaped) : readAtOrigin(&text);
    if (ok)
        *ok = read;
    return text;
}

QByteArray StoredPhoto::imageData() const
{
    if (isReference() && !m_location.escaped) {
        QByteArray text;
        bool escaped = false;
        if (!readReference(&text, &escaped))
            return {};
        if (!escaped)
            return QByteArray::fromBase64(base64Of(text));
    }
    // Base64 never needs escapes, but a hand-edited file may hold them anyway.
    return QByteArray::fromBase64(base64Of(entry().toLatin1()));
}

QImage StoredPhoto::image() const
{
    return decodeImage(imageData(), QSize());
}

QImage StoredPhoto::thumbnail(const QSize &box) const
{
    if (box.isEmpty())
        return image();
    return decodeImage(imageData(), box);
}

QStringList StoredPhoto::entries(const QList<StoredPhoto> &photos)
{
    QStringList list;
    list.reserve(photos.size());
    for (const StoredPhoto &photo : photos)
        list.append(photo.entry());
    return list;
}

QList<StoredPhoto> StoredPhoto::fromEntries(const QStringList &entries)
{
    return QList<StoredPhoto>(entries.cbegin(), entries.cend());
}

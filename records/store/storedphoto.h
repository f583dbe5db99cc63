#pragma once

#include "records/store/fileidentity.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

// One photo of an order. Either held here (a new photo: its "name|Base64"
// entry text) or a reference to where the entry's text lies in the store file,
// read only when the photo is shown. A reference checks that the file is
// still the one it was taken from; if not, the same photo (same order id,
// position and name) is looked up in the file as it is now, or the photo
// comes out empty.
class StoredPhoto
{
public:
    // The store file a reference points into, as it was when scanned or written.
    struct Origin
    {
        QString path;
        FileIdentity identity;
    };

    // The entry's JSON text between its quotes. `escaped` when that text holds
    // escape sequences or non-ASCII bytes and so is not the entry itself.
    struct Location
    {
        qint64 offset = 0;
        qint64 length = 0;
        bool escaped = false;
    };

    StoredPhoto() = default;
    // A photo held in memory; existing code keeps appending entry strings.
    StoredPhoto(const QString &entry); // NOLINT: implicit on purpose
    StoredPhoto(const char *entry);    // NOLINT: implicit on purpose

    static StoredPhoto reference(std::shared_ptr<const Origin> origin, const Location &location,
                                 const QString &name, int orderId, int index);

    bool isReference() const { return m_origin != nullptr; }
    const Origin *origin() const { return m_origin.get(); }
    const Location &location() const { return m_location; }
    int orderId() const { return m_orderId; }
    int index() const { return m_index; }

    // The text before the first "|"; empty when there is none. Never reads the file.
    QString name() const { return m_name; }
    // The whole entry text, read from the file for a reference; empty when it
    // cannot be read.
    QString entry() const;
    // The stored entry's JSON text between its quotes, as written to the file.
    // For a reference, the bytes read from the file it names, or empty (and
    // `ok` false) when they cannot be read; unless `followMoves`, a file that
    // changed is not searched for the photo (the store itself is not touched).
    QByteArray jsonText(bool *ok = nullptr, bool followMoves = true) const;
    // The picture's file bytes: the Base64 text after the first "|" decoded.
    QByteArray imageData() const;
    // The whole image; a null image when the data is not Base64 or not a picture.
    QImage image() const;
    // The image scaled to cover `box` (keeping its aspect ratio) and cut to it
    // around the centre; JPEG data is decoded at a reduced size.
    QImage thumbnail(const QSize &box) const;

    static QStringList entries(const QList<StoredPhoto> &photos);
    // Photos held in memory, one per entry text.
    static QList<StoredPhoto> fromEntries(const QStringList &entries);

private:
    // The text of a reference, from the file it names or from where the photo
    // is now; false when neither can be read.
    bool readReference(QByteArray *text, bool *escaped) const;
    bool readAtOrigin(QByteArray *text) const;

    QString m_name;
    QString m_entry;
    std::shared_ptr<const Origin> m_origin;
    Location m_location;
    int m_orderId = 0;
    int m_index = -1;
};

#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// One photo of an inspection. The frame is encoded once, at capture; those
// JPEG bytes go into the file, the batch copies and the order alike, so an
// order holds exactly the photo on disk. The full picture is not kept (forty
// decoded 1080p frames would take over 300 MB): a small preview feeds the
// thumbnails, and the enlarged views decode the bytes when they need them.
class CapturedPhoto
{
public:
    // Quality of every JPEG the program writes.
    static constexpr int JpegQuality = 95;
    // Width of the preview the thumbnails are drawn from: twice a thumbnail
    // at full window size, so they stay sharp on high-density screens too.
    static constexpr int PreviewWidth = 512;
    static constexpr int ThumbnailRadius = 16;

    CapturedPhoto() = default;
    CapturedPhoto(const QByteArray &jpeg, const QImage &preview) : m_jpeg(jpeg), m_preview(preview)
    {
    }
    // Encodes `frame` and makes its preview; isNull() when it cannot be encoded.
    static CapturedPhoto fromFrame(const QImage &frame);
    // The two halves of fromFrame(), which may run at the same time.
    static QByteArray encode(const QImage &frame);
    static QImage makePreview(const QImage &frame);

    bool isNull() const { return m_jpeg.isEmpty(); }
    const QByteArray &jpeg() const { return m_jpeg; }
    const QImage &preview() const { return m_preview; }
    // The whole picture, decoded from the stored bytes.
    QImage fullImage() const;

    // The file the photo was written to; empty when writing failed.
    QString path;
    bool checked = false;
    // The numbers of the orders the photo was saved into, oldest first. Such
    // a photo stays in the workspace but goes into another order only when
    // the user ticks it.
    QStringList orderNumbers;
    bool isFiled() const { return !orderNumbers.isEmpty(); }
    // Handed to the order being saved; filed once that order is written.
    bool heldForOrder = false;

    // The preview scaled to cover `size` (device pixels `size` × `ratio`) and
    // cut to a rounded rectangle. Kept per tick state, so a list rebuilt at
    // the same width scales nothing.
    QPixmap thumbnail(const QSize &size, qreal ratio) const;

    // `image` scaled to cover `size`, cut to it around the centre; an
    // overhang below 2 px is not centred (the cut starts at 0).
    static QImage coverCrop(const QImage &image, const QSize &size);
    // `source` scaled to cover `size`, centred, clipped to a rounded rectangle.
    static QImage roundedThumbnail(const QImage &source, const QSize &size, int radius);

private:
    QByteArray m_jpeg;
    QImage m_preview;
    struct CachedThumbnail
    {
        QSize size;
        qreal ratio = 0;
        QPixmap pixmap;
    };
    mutable CachedThumbnail m_thumbnails[2]; // [0] unticked, [1] ticked
};

#include "testpattern.h"

#include <QBuffer>
#include <QPainter>
#include <QtMath>

QImage TestPattern::render(const QSize &size, quint64 frameNumber, const QDateTime &now) const
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    static const QColor bars[] = {QColor(192, 192, 192), QColor(192, 192, 0), QColor(0, 192, 192),
                                  QColor(0, 192, 0),     QColor(192, 0, 192), QColor(192, 0, 0),
                                  QColor(0, 0, 192)};
    const int barCount = int(std::size(bars));
    for (int i = 0; i < barCount; ++i) {
        const int left = size.width() * i / barCount;
        const int right = size.width() * (i + 1) / barCount;
        painter.fillRect(QRect(left, 0, right - left, size.height() * 2 / 3), bars[i]);
    }
    painter.fillRect(
        QRect(0, size.height() * 2 / 3, size.width(), size.height() - size.height() * 2 / 3),
        QColor(30, 30, 34));

    // A disc that sweeps across the picture about once every four seconds at 25 fps.
    const double phase = double(frameNumber % 100) / 100.0;
    const double x = size.width() * (0.1 + 0.8 * (0.5 + 0.5 * qSin(phase * 2 * M_PI)));
    const double radius = size.height() / 8.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(236, 92, 11));
    painter.drawEllipse(QPointF(x, size.height() / 3.0), radius, radius);

    QFont font = painter.font();
    font.setPixelSize(qMax(10, size.height() / 12));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect textArea(0, size.height() * 2 / 3, size.width(), size.height() / 3);
    painter.drawText(textArea, Qt::AlignCenter,
                     QStringLiteral("%1x%2  #%3\n%4")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(frameNumber)
                         .arg(now.toString(QStringLiteral("HH:mm:ss.zzz"))));
    return image;
}

QImage TestPattern::blur(const QImage &image)
{
    const QSize reduced(qMax(1, image.width() / 8), qMax(1, image.height() / 8));
    return image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QByteArray TestPattern::renderJpeg(const QSize &size, quint64 frameNumber, const QDateTime &now,
                                   int quality, bool blurred) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage picture = render(size, frameNumber, now);
    (blurred ? blur(picture) : picture).save(&buffer, "JPEG", quality);
    return bytes;
}

#include "benchdata.h"

#include "records/store/customerstore.h"
#include "records/store/recordstore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QString entryOf(const QImage &image, const QString &name)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return name + QLatin1Char('|') + QString::fromLatin1(bytes.toBase64());
}

} // namespace

namespace BenchData {

QString grainyEntry(int seed)
{
    QImage image(1280, 720, QImage::Format_RGB32);
    QPainter painter(&image);
    QRadialGradient gradient(QPointF(600 + seed % 80, 360), 520);
    gradient.setColorAt(0, QColor(250, 200, 170));
    gradient.setColorAt(0.5, QColor(200, 90, 70));
    gradient.setColorAt(1, QColor(30, 10, 10));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255),
                           qBound(0, qBlue(p) + n, 255));
        }
    }
    return entryOf(image,
                   QStringLiteral("20250304_0900%1_L").arg(seed % 100, 2, 10, QLatin1Char('0')));
}

// What an otoscope shows: a dark round field, a lit canal with soft folds and a
// bright reflex, a little sensor noise, nothing sharp.
QString cameraEntry(int seed, const QString &name)
{
    QImage image(1280, 720, QImage::Format_RGB32);
    image.fill(QColor(8, 4, 4));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(quint32(seed) + 1);
    const QPointF centre(640 + random.bounded(80) - 40, 360 + random.bounded(60) - 30);
    QRadialGradient canal(centre, 340);
    canal.setColorAt(0, QColor(236, 170, 140));
    canal.setColorAt(0.45, QColor(205, 110, 90));
    canal.setColorAt(0.85, QColor(120, 40, 35));
    canal.setColorAt(1, QColor(8, 4, 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(canal);
    painter.drawEllipse(centre, 340, 340);
    for (int fold = 0; fold < 6; ++fold) {
        const QPointF at = centre + QPointF(random.bounded(360) - 180, random.bounded(300) - 150);
        QRadialGradient soft(at, 60 + random.bounded(80));
        soft.setColorAt(0, QColor(250, 205, 180, 150));
        soft.setColorAt(1, QColor(200, 100, 80, 0));
        painter.setBrush(soft);
        painter.drawEllipse(at, 140, 140);
    }
    QRadialGradient reflex(centre + QPointF(-60, -40), 40);
    reflex.setColorAt(0, QColor(255, 255, 245, 230));
    reflex.setColorAt(1, QColor(255, 240, 220, 0));
    painter.setBrush(reflex);
    painter.drawEllipse(centre + QPointF(-60, -40), 40, 40);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(5)) - 2;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255),
                           qBound(0, qBlue(p) + n, 255));
        }
    }
    return entryOf(image, name);
}

Customer orderFor(int id, const QStringList &photos)
{
    Customer c;
    c.id = id;
    c.orderNumber = QStringLiteral("A-%1").arg(id, 5, 10, QLatin1Char('0'));
    c.name = QStringLiteral("Customer %1").arg(id);
    c.phone = QStringLiteral("1380000%1").arg(id, 5, 10, QLatin1Char('0'));
    c.fitterName = QStringLiteral("Inspector");
    // Ten a day, the last ones today: the order list shows them without a search.
    c.createdAt = QDate::currentDate().addDays(-(2500 - id) / 10).toString(Qt::ISODate) +
                  QStringLiteral("T09:00:00");
    for (int k = 0; k < 4; ++k)
        c.photos.append(photos.at((id * 4 + k) % photos.size()));
    return c;
}

// The store file kept in the build folder, made on first use.
QString cachedStore(const QString &name, int orders)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0)
        return path;
    std::printf("generating %s (%d orders, once)...\n", qPrintable(path), orders);
    std::fflush(stdout);
    QStringList photos;
    for (int i = 0; i < 12; ++i)
        photos.append(cameraEntry(i, QStringLiteral("20250304_0900%1_%2")
                                         .arg(i, 2, 10, QLatin1Char('0'))
                                         .arg(i % 2 ? QLatin1Char('R') : QLatin1Char('L'))));
    QList<Customer> list;
    for (int id = 1; id <= orders; ++id)
        list.append(orderFor(id, photos));
    // Written by the store itself, through a data folder of the bench's own.
    const QString target = customersFilePath();
    QFile::remove(target);
    if (!saveCustomers(list) || !QFile::rename(target, path)) {
        std::printf("could not write %s\n", qPrintable(path));
        return {};
    }
    CustomerStore::instance().forget();
    return path;
}

} // namespace BenchData

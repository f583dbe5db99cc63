// loadCustomers and saveCustomers on a store of 200 orders with 4 photos each
// (1280x720 JPEG, quality 95, Base64), against reading the raw file once.
// Each phase runs in a child process of its own so that its peak memory
// (VmHWM) is its own.
#include "records/recordstore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>

namespace {

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// An ear-like picture with grain, so the JPEG is as large as a real photo.
QString photoEntry(int seed)
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
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return QStringLiteral("20250304_0900%1_L|").arg(seed % 100, 2, 10, QLatin1Char('0')) +
           QString::fromLatin1(bytes.toBase64());
}

int runPhase(const QString &phase)
{
    QElapsedTimer timer;
    timer.start();
    qint64 size = 0;
    if (phase == QLatin1String("raw")) {
        QFile file(customersFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        size = file.readAll().size();
    } else if (phase == QLatin1String("load")) {
        size = loadCustomers().size();
    } else if (phase == QLatin1String("save")) {
        const QList<Customer> orders = loadCustomers();
        const double loaded = timer.nsecsElapsed() / 1e6;
        const long loadPeak = peakKiB();
        timer.restart();
        if (!saveCustomers(orders))
            return 1;
        std::printf("save %.1f ms (after a load of %.1f ms, peak after load %ld KiB)\n",
                    timer.nsecsElapsed() / 1e6, loaded, loadPeak);
        std::printf("peak %ld KiB\n", peakKiB());
        return 0;
    }
    std::printf("%s %.1f ms (%lld)\npeak %ld KiB\n", qPrintable(phase), timer.nsecsElapsed() / 1e6,
                size, peakKiB());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        return runPhase(QString::fromLatin1(argv[1]));
    }
    QGuiApplication app(argc, argv);
    QList<Customer> orders;
    QStringList photos;
    for (int i = 0; i < 16; ++i) // distinct pictures, reused across orders
        photos.append(photoEntry(i));
    for (int id = 1; id <= 200; ++id) {
        Customer c;
        c.id = id;
        c.name = QStringLiteral("Customer %1").arg(id);
        c.createdAt = QStringLiteral("2025-03-04T09:00:00");
        for (int k = 0; k < 4; ++k)
            c.photos.append(photos.at((id * 4 + k) % photos.size()));
        orders.append(c);
    }
    saveCustomers(orders);
    orders.clear();
    std::printf("store: %.1f MB, one photo entry about %.0f KB of Base64\n",
                QFileInfo(customersFilePath()).size() / 1e6, photos.first().size() / 1e3);
    for (const char *phase : {"raw", "load", "save"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(phase)});
        child.waitForFinished(-1);
    }
    return 0;
}

// The inspection page's rules without the window: photo lists, file names
// and writing, thumbnails and the full-screen fit.
#include "records/photoviewer.h"
#include "stream/fullscreenviewer.h"
#include "ui/mainwindow/earphotolist.h"
#include "ui/mainwindow/photostorage.h"

#include "common/testsupport.h"

#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>

#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>

namespace {

// Every folder synced while `g_watchedFile` is set, and whether that file
// already had its name in it at the time.
struct FolderSync
{
    QString folder;
    bool fileNamed = false;
};
QString g_watchedFile;
QList<FolderSync> g_folderSyncs;

} // namespace

// Stands in for the C library's fsync to see what the program syncs.
extern "C" int fsync(int fd)
{
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    if (!g_watchedFile.isEmpty()) {
        const QFileInfo target(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)));
        if (target.isDir())
            g_folderSyncs.append({target.absoluteFilePath(), QFileInfo::exists(g_watchedFile)});
    }
    return real(fd);
}

namespace {

QImage frame(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 90, 40));
    return image;
}

} // namespace

class TestInspectionRules : public QObject
{
    Q_OBJECT

private slots:
    // Ticks, paths and pictures stay together through removals.
    void photoListKeepsEntriesTogether()
    {
        EarPhotoList left(EarPhotoList::Left);
        const CapturedPhoto photo = CapturedPhoto::fromFrame(frame(QSize(64, 48)));
        for (int i = 0; i < 3; ++i)
            left.setPath(left.append(photo),
                         i == 1 ? QString() : QString("/p/2025_%1_L.jpg").arg(i));
        QVERIFY(!left.allChecked());
        left.setChecked(0, true);
        left.setChecked(2, true);
        left.setChecked(7, true); // ignored
        QCOMPARE(left.checkedIndices(), QList<int>({0, 2}));
        QCOMPARE(left.orderPhotoName(1), QStringLiteral("left_2"));
        QCOMPARE(left.remove({2, 0, 2, -1, 9}),
                 QStringList({"/p/2025_2_L.jpg", "/p/2025_0_L.jpg"}));
        QCOMPARE(left.size(), 1);
        QVERIFY(left.at(0).path.isEmpty());
        QVERIFY(!left.at(0).checked);
        QCOMPARE(left.orderPhotoName(0), QStringLiteral("left_1"));
        left.setAllChecked(true);
        QVERIFY(left.allChecked());

        EarPhotoList right(EarPhotoList::Right);
        right.setPath(right.append(photo), "/p/2025-03-03/20250303_090507_R.jpg");
        const QList<ReportPhoto> report = right.reportPhotos();
        QCOMPARE(report.first().name, QStringLiteral("20250303_090507_R"));
        // The order gets the bytes of the file, not a second encoding.
        QCOMPARE(photoEntry(report.first()), QStringLiteral("20250303_090507_R|") +
                                                 QString::fromLatin1(photo.jpeg().toBase64()));
    }

    // A saved order's photos stay in the list, marked with its number, and
    // go into another order only when ticked again.
    void filedPhotosStayOutOfTheNextOrder()
    {
        EarPhotoList left(EarPhotoList::Left);
        const CapturedPhoto photo = CapturedPhoto::fromFrame(frame(QSize(64, 48)));
        for (int i = 0; i < 3; ++i)
            left.setPath(left.append(photo), QString("/p/20250303_09000%1_L.jpg").arg(i));
        left.setChecked(2, true);
        left.holdForOrder();
        left.setPath(left.append(photo), QString()); // captured while the order is saved
        left.fileHeld("A-1");
        QCOMPARE(left.at(0).orderNumbers, QStringList("A-1"));
        QVERIFY(!left.at(2).checked);
        QVERIFY(!left.at(3).isFiled());
        QCOMPARE(left.orderIndices(), QList<int>({3}));
        QCOMPARE(left.reportPhotos().size(), 1);
        QCOMPARE(left.reportPhotos().first().name, QStringLiteral("left_4"));

        left.setChecked(1, true);
        QCOMPARE(left.orderIndices(), QList<int>({1, 3}));
        QCOMPARE(left.refiledIndices(), QList<int>({1}));
        QCOMPARE(left.refiledOrderNumbers(), QStringList("A-1"));
        left.replace(1, photo); // the file written later keeps the marks
        left.holdForOrder();
        left.fileHeld("B-2");
        QCOMPARE(left.at(1).orderNumbers, QStringList({"A-1", "B-2"}));
        QCOMPARE(left.at(3).orderNumbers, QStringList("B-2"));
        QVERIFY(left.orderIndices().isEmpty());
        QVERIFY(!left.at(left.append(photo)).isFiled());
    }

    void capturedPhoto()
    {
        const CapturedPhoto photo = CapturedPhoto::fromFrame(frame(QSize(1920, 1080)));
        QCOMPARE(photo.fullImage().size(), QSize(1920, 1080));
        QCOMPARE(photo.preview().width(), CapturedPhoto::PreviewWidth);
        const QPixmap first = photo.thumbnail(QSize(246, 136), 1.0);
        QCOMPARE(first.size(), QSize(246, 136));
        QCOMPARE(photo.thumbnail(QSize(246, 136), 1.0).cacheKey(), first.cacheKey());
        QVERIFY(CapturedPhoto::fromFrame(QImage()).isNull());

        // Cover, then cut around the centre; an overhang of 1 px is cut from one side.
        QImage wide(400, 101, QImage::Format_RGB32);
        wide.fill(Qt::black);
        for (int y = 0; y < 101; ++y)
            wide.setPixel(0, y, qRgb(255, 255, 255));
        QCOMPARE(CapturedPhoto::coverCrop(wide, QSize(200, 100)).size(), QSize(200, 100));
        QCOMPARE(QColor(CapturedPhoto::coverCrop(wide, QSize(100, 101)).pixel(0, 50)),
                 QColor(Qt::black));
        QCOMPARE(QColor(CapturedPhoto::coverCrop(wide, QSize(399, 101)).pixel(0, 50)),
                 QColor(Qt::white));
    }

    void fileNames()
    {
        QTemporaryDir dir;
        const QDateTime time(QDate(2025, 3, 3), QTime(10, 15, 30));
        const QString day = PhotoStorage::dayFolder(dir.path(), time.date());
        QCOMPARE(day, dir.path() + "/2025-03-03");
        QCOMPARE(PhotoStorage::dayFolder(dir.path(), time.date().addDays(1)),
                 dir.path() + "/2025-03-04");
        QDir().mkpath(day);
        // Three captures of one ear in one second, then the other ear.
        for (const QString expected :
             {"20250303_101530_L.jpg", "20250303_101530_L_2.jpg", "20250303_101530_L_3.jpg"}) {
            const QString path = PhotoStorage::capturePath(day, time, "L");
            QCOMPARE(path, day + "/" + expected);
            QVERIFY(PhotoStorage::writeFile(path, "jpeg"));
        }
        QCOMPARE(PhotoStorage::capturePath(day, time, "R"), day + "/20250303_101530_R.jpg");
        // Batch copies: the photo's position, then a counter on collision.
        const QString copy = PhotoStorage::batchCopyPath(dir.path(), time, "L", 2);
        QCOMPARE(copy, dir.path() + "/20250303_101530_L_2.jpg");
        QVERIFY(PhotoStorage::writeFile(copy, "x"));
        QCOMPARE(PhotoStorage::batchCopyPath(dir.path(), time, "L", 2),
                 dir.path() + "/20250303_101530_L_2_2.jpg");
    }

    // The new name is made durable too: the folder is synced after the rename.
    void writtenNamesSurviveAPowerCut()
    {
        QTemporaryDir dir;
        g_watchedFile = dir.filePath("a.jpg");
        g_folderSyncs.clear();
        const bool written = PhotoStorage::writeFile(g_watchedFile, "jpeg");
        g_watchedFile.clear();
        QVERIFY(written);
        QCOMPARE(g_folderSyncs.size(), 1);
        QCOMPARE(g_folderSyncs.first().folder, QFileInfo(dir.path()).canonicalFilePath());
        QVERIFY(g_folderSyncs.first().fileNamed);
    }

    // A write that cannot complete reports failure and leaves no file behind.
    void writeFailures()
    {
        QTemporaryDir dir;
        TestSupport::writeFile(dir.filePath("plain"), "x");
        QVERIFY(!PhotoStorage::writeFile(dir.filePath("plain/sub/a.jpg"), "jpeg"));
        QVERIFY(!PhotoStorage::writeFile(dir.filePath("missing/a.jpg"), "jpeg"));

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        for (const int size : {1000, 100000}) { // buffered and unbuffered writes
            rlimit limit = old;
            limit.rlim_cur = 500;
            setrlimit(RLIMIT_FSIZE, &limit);
            const bool written =
                PhotoStorage::writeFile(dir.filePath("big.jpg"), QByteArray(size, 'j'));
            setrlimit(RLIMIT_FSIZE, &old);
            QVERIFY(!written);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"plain"}));
        }
    }

    // A photo as large as the screen must not make the viewer taller than it.
    void viewerFitsTheScreen()
    {
        QCOMPARE(FullscreenViewer::fitRect(QSize(1920, 1080), QRect(0, 46, 1920, 1034)),
                 QRect(41, 46, 1838, 1034));
        QCOMPARE(FullscreenViewer::fitRect(QSize(100, 100), QRect(0, 0, 300, 200)),
                 QRect(50, 0, 200, 200));
        QWidget page;
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        auto *viewer = new PhotoViewer(frame(screen + QSize(200, 100)), &page);
        viewer->showOnScreen();
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        QCOMPARE(viewer->size(), screen);
        const QLabel *label = viewer->photoLabel();
        QVERIFY(label->geometry().bottom() < screen.height());
        QVERIFY(label->pixmap().height() <= label->height());
        QVERIFY(label->pixmap().width() <= label->width());
        // Nothing in it holds the window larger than it is given.
        viewer->showNormal();
        viewer->resize(screen / 2);
        QTRY_COMPARE(viewer->size(), screen / 2);
        QTRY_VERIFY(label->pixmap().height() <= label->height());
        viewer->close();
    }
};

LUMAURAL_TEST_MAIN(TestInspectionRules)
#include "tst_inspectionrules.moc"

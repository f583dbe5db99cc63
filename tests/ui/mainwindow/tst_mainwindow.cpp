// The main window's frame: its size on each screen, the navigation between
// its pages and the wiring of the order pages; the inspection page's rules
// without the window: photo lists, file names and writing, thumbnails and the
// full-screen fit.
#include "ui/mainwindow/earphotolist.h"
#include "ui/mainwindow/logoimage.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/mainwindow/photostorage.h"
#include "ui/mainwindow/windowgeometry.h"

#include "records/fitterpage.h"
#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/photoviewer.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"
#include "settings/settingspage.h"
#include "stream/fullscreenviewer.h"

#include "../../records/pagedriver.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

#include <dlfcn.h>
#include <optional>

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

// The navigation entry drawn highlighted.
QString highlighted(MainWindow &window)
{
    QStringList lit;
    for (const char *name : {"inspectText", "orderText", "settingsText"}) {
        if (window.findChild<QLabel *>(QLatin1String(name))->styleSheet().contains("#ec5c0b"))
            lit.append(name);
    }
    return lit.join(' ');
}

QPushButton *navButtonOf(MainWindow &window, const char *textName)
{
    return qobject_cast<QPushButton *>(
        window.findChild<QLabel *>(QLatin1String(textName))->parentWidget());
}

Customer makeOrder(int id, const QString &name)
{
    Customer c;
    c.id = id;
    c.name = name;
    c.createdAt = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("T08:00:00");
    return c;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { removeStoreFiles(); }

    void startSize_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<bool>("maximized");
        // Too small for the minimum and its title bar: maximized, and small
        // enough not to push the window past the available area.
        QTest::newRow("1280x720") << QRect(0, 0, 1280, 720) << QSize(1100, 680) << QSize(1280, 680)
                                  << QPoint(0, 20) << true;
        QTest::newRow("1366x768, no taskbar") << QRect(0, 0, 1366, 768) << QSize(1100, 720)
                                              << QSize(1366, 728) << QPoint(0, 20) << false;
        QTest::newRow("1920x1040") << QRect(0, 40, 1920, 1040) << QSize(1100, 720)
                                   << QSize(1600, 900) << QPoint(160, 110) << false;
        QTest::newRow("no screen")
            << QRect() << QSize(1100, 720) << QSize(1600, 900) << QPoint() << false;
    }

    void startSize()
    {
        QFETCH(QRect, available);
        const WindowGeometry geometry = WindowGeometry::forAvailableArea(available);
        QTEST(geometry.minimum, "minimum");
        QTEST(geometry.size, "size");
        QTEST(geometry.maximized, "maximized");
        if (available.isValid())
            QTEST(WindowGeometry::centeredTopLeft(available, geometry.size), "topLeft");
    }

    void logoTrimKeepsOnlyVisiblePixels()
    {
        QImage image(50, 40, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(10, 5, qRgba(0, 0, 0, 1));
        image.setPixel(30, 20, qRgba(255, 0, 0, 255));
        QCOMPARE(LogoImage::trimTransparentBorder(image).size(), QSize(21, 16));
        image.fill(Qt::transparent);
        QCOMPARE(LogoImage::trimTransparentBorder(image).size(), QSize(50, 40));
    }

    void navigationAndSettingsBack()
    {
        MainWindow window;
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
        QCOMPARE(window.photoFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) +
                     "/OtoscopePhotos");
        QVERIFY(QFileInfo(window.photoFolder()).isDir());
        navButtonOf(window, "orderText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));

        // Opening settings twice keeps the page seen before the first opening.
        for (int i = 0; i < 2; ++i)
            navButtonOf(window, "settingsText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 6);
        QCOMPARE(highlighted(window), QStringLiteral("settingsText"));
        window.settingsPage()->findChild<QPushButton *>("settingsBackButton")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));

        window.findChild<QPushButton *>("fitterNavButton")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        QCOMPARE(highlighted(window), QString());
        navButtonOf(window, "inspectText")->click();
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
    }

    void orderFormBack_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("highlighted");
        QTest::newRow("from inspection") << 0 << 0 << "inspectText";
        QTest::newRow("new order") << 1 << 3 << "orderText";
        QTest::newRow("edit") << 2 << 3 << "orderText";
    }

    void orderFormBack()
    {
        QFETCH(int, mode);
        MainWindow window;
        window.saveReportPage()->reset(mode);
        window.pageStack()->setCurrentIndex(2);
        window.saveReportPage()->onBackClicked();
        QTEST(window.pageStack()->currentIndex(), "page");
        QTEST(highlighted(window), "highlighted");
    }

    // The next step of the order form leads here (as the end-to-end test
    // shows); opening the form for a new order drops that unsaved draft.
    void newOrderFormDropsTheDraft()
    {
        MainWindow window;
        Customer draft;
        draft.name = QStringLiteral("Li");
        window.onProceedToInspection(draft);
        QVERIFY(window.hasInspectionContext());
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QCOMPARE(highlighted(window), QStringLiteral("inspectText"));
        window.onOrderConfigRequested();
        QVERIFY(!window.hasInspectionContext());
        QCOMPARE(window.pageStack()->currentIndex(), 2);
    }

    // Each entry to the fitter and order lists reads the store anew; the
    // list, the form and the detail page hand orders on to each other.
    void listsReloadAndOrderPagesMeet()
    {
        MainWindow window;
        auto *orders = qobject_cast<OrderPage *>(window.pageStack()->widget(3));
        auto *form = window.saveReportPage();
        auto *detail = qobject_cast<OrderDetailPage *>(window.pageStack()->widget(4));
        QVERIFY(orders && detail && orders->allOrders().isEmpty());
        QCOMPARE(window.fitterPage()->table()->rowCount(), 0);
        Fitter fitter;
        fitter.id = 1;
        fitter.name = "Zhang";
        QVERIFY(saveFitters({fitter}));
        window.onFitterBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 1);
        QCOMPARE(window.fitterPage()->table()->rowCount(), 1);

        QVERIFY(
            saveCustomers({makeOrder(4, "Ada"), makeOrder(4, "Second Ada"), makeOrder(8, "Cleo")}));
        window.onOrderBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 3);
        emit orders->detailRequested(4);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));
        // An id nobody has: the detail page keeps what it showed.
        window.onInspectBtnClicked();
        emit orders->detailRequested(99);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));
        QCOMPARE(highlighted(window), QStringLiteral("orderText"));
        QVERIFY(appendCustomer(makeOrder(7, "Cy")));
        emit detail->backRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 4);

        emit orders->configRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 2);
        QCOMPARE(form->mode(), int(SaveReportPage::NewOrder));
        emit form->backRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        emit orders->editRequested(99); // unknown: nothing happens
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        emit orders->editRequested(8);
        QCOMPARE(window.pageStack()->currentIndex(), 2);
        QCOMPARE(form->mode(), int(SaveReportPage::EditOrder));
        emit form->reportSaved(makeOrder(8, "Cleo Edited"));
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Cleo Edited"));
        QVERIFY(!window.hasInspectionContext());
    }

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

        for (const int size : {1000, 100000}) { // buffered and unbuffered writes
            std::optional<TestSupport::FileSizeLimit> limit(std::in_place, 500);
            const bool written =
                PhotoStorage::writeFile(dir.filePath("big.jpg"), QByteArray(size, 'j'));
            limit.reset();
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

LUMAURAL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

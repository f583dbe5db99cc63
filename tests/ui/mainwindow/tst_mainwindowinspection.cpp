// The window against in-process stand-ins for the device: connecting, the
// resolution, the live picture in full screen, and the inspection page with
// capture, the photo list and its batch operations, saving and the viewers,
// driven through slots and real clicks.
#include "device/networkhandler.h"
#include "device/wifisignalsource.h"
#include "records/orderdetailpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"
#include "stream/fullscreenviewer.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/transientnotice.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/mainwindow/workspacejournal.h"

#include "../../records/pagedriver.h"
#include "common/straypromptguard.h"
#include "fakecontroldevice.h"
#include "fakemjpegserver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextDocument>

using TestSupport::Answer;

namespace {

// Answers 75 % and notes when it was asked.
class FixedWifiSource : public WifiSignalSource
{
public:
    QList<qint64> asked;
    QElapsedTimer clock;
    void requestPercent() override
    {
        asked << clock.elapsed();
        emit percentMeasured(75);
    }
};

} // namespace

class TestMainWindowInspection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeControlDevice> m_device;
    std::unique_ptr<FakeMjpegServer> m_stream;
    std::unique_ptr<QTemporaryDir> m_photos;

    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<StrayPromptGuard> m_strayPrompts;

    // An inspection in the context of the order "A-7" for Ada.
    static void proceedWithAda(MainWindow &window)
    {
        Customer draft;
        draft.name = QStringLiteral("Ada");
        draft.orderNumber = QStringLiteral("A-7");
        window.onProceedToInspection(draft);
    }

    // A window whose device link points at fresh in-process stand-ins.
    MainWindow *makeWindow()
    {
        m_device = std::make_unique<FakeControlDevice>();
        m_stream = std::make_unique<FakeMjpegServer>();
        m_photos = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<MainWindow>();
        m_window->networkHandler()->setDeviceHost(QStringLiteral("127.0.0.1"));
        m_window->networkHandler()->setControlPort(m_device->serverPort());
        m_window->networkHandler()->setStreamPort(m_stream->serverPort());
        m_window->setPhotoFolder(m_photos->path());
        return m_window.get();
    }

    // The window shown and connected, showing the stand-ins' 320×240 picture:
    // the one it starts by itself after 3 s with `ownStart`, else at once.
    // Null when it does not get there.
    MainWindow *openStreamingWindow(bool ownStart = false)
    {
        MainWindow *window = makeWindow();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window) ||
            !QTest::qWaitFor([window] { return window->networkHandler()->isConnected(); }, 3000))
            return nullptr;
        if (!ownStart)
            window->streamWidget()->startStream(m_stream->url());
        const auto shown = [window] { return !window->streamWidget()->latestFrame().isNull(); };
        return QTest::qWaitFor(shown, 6000) ? window : nullptr;
    }

    FullscreenViewer *liveViewer() const
    {
        return m_window->findChild<FullscreenViewer *>(QStringLiteral("liveFullscreenViewer"));
    }

    // Opens the full-screen live view by a double-click on the page's
    // picture; returns once it shows the picture.
    void openFullScreen()
    {
        QTest::mouseDClick(m_window->streamWidget(), Qt::LeftButton);
        FullscreenViewer *viewer = liveViewer();
        QVERIFY(viewer);
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTRY_VERIFY(!viewer->liveView()->latestFrame().isNull());
    }

    static QString streamText(MainWindow &window)
    {
        return window.streamWidget()->findChild<QLabel *>()->text();
    }

    static QList<QWidget *> thumbnails(MainWindow &window)
    {
        QList<QWidget *> shown;
        for (QWidget *item : window.findChildren<QWidget *>(QStringLiteral("thumbnailItem"))) {
            if (item->isVisibleTo(&window))
                shown.append(item);
        }
        return shown;
    }

    // The text a tooltip shows, rendered the way Qt renders tooltips.
    static QString shownToolTip(const QWidget *widget)
    {
        if (!Qt::mightBeRichText(widget->toolTip()))
            return widget->toolTip();
        QTextDocument document;
        document.setHtml(widget->toolTip());
        return document.toPlainText();
    }

    static QStringList filesIn(const QString &folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        return files;
    }

private slots:
    // A prompt nobody answers fails its test rather than blocking the run.
    void init() { m_strayPrompts = std::make_unique<StrayPromptGuard>(); }

    // A test that stopped half-way must not leave its store files behind: a
    // customers.json the next window cannot read brings up a prompt nobody answers.
    void cleanup()
    {
        m_window.reset();
        QFile::remove(WorkspaceJournal::defaultPath());
        removeStoreFiles();
        const QStringList stray = m_strayPrompts->closedPrompts();
        QVERIFY2(stray.isEmpty(), qPrintable("unanswered: " + stray.join(" | ")));
    }

    // The camera's frame (320×240, not the view's size) goes to the current
    // ear's list and into the day folder; Space captures too, whatever button
    // has the focus, but only on this page.
    void captureByButtonDeviceAndSpace()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        QTest::mouseClick(child<QPushButton>(*window, "captureButton"), Qt::LeftButton);
        QCOMPARE(window->leftPhotos().size(), 1);
        const QString path = window->leftPhotos().at(0).path;
        QVERIFY(path.startsWith(m_photos->path()));
        QCOMPARE(QImage(path).size(), QSize(320, 240));
        QCOMPARE(TestSupport::readFile(path), window->leftPhotos().at(0).jpeg());
        QCOMPARE(thumbnails(*window).size(), 1);

        QTest::mouseClick(child<QPushButton>(*window, "rightEarButton"), Qt::LeftButton);
        QCOMPARE(thumbnails(*window).size(), 0);
        auto *save = child<QPushButton>(*window, "saveReportButton");
        save->setFocus();
        QSignalSpy pressed(save, &QPushButton::pressed);
        QTest::keyPress(save, Qt::Key_Space);
        QCOMPARE(pressed.count(), 0); // released below only because it was never pressed
        QTest::keyRelease(save, Qt::Key_Space);
        QCOMPARE(window->rightPhotos().size(), 1);
        QVERIFY(window->rightPhotos().at(0).path.endsWith("_R.jpg"));

        window->onOrderBtnClicked();
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(window->rightPhotos().size(), 1);
        window->onInspectBtnClicked();
        window->onDevicePhotograph();
        QCOMPARE(window->rightPhotos().size(), 2);
        QCOMPARE(thumbnails(*window).size(), 2);
    }

    // Every capture is seen: the new photo scrolls into view and is lit up
    // for a moment, each ear counts its photos, the enlarged photo is marked.
    void everyCaptureIsSeen()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        auto *list = child<QScrollArea>(*window, "photoList");
        for (int i = 0; i < 7; ++i)
            window->onDevicePhotograph();
        QCOMPARE(child<QLabel>(*window, "leftEarText")->text(), QStringLiteral("左耳 7"));
        QCOMPARE(child<QLabel>(*window, "rightEarText")->text(), QStringLiteral("右耳"));
        const QList<QWidget *> items = thumbnails(*window);
        QCOMPARE(items.size(), 7);
        QVERIFY(items.last()->property("fresh").toBool());
        QVERIFY(!items.first()->property("fresh").toBool());
        auto shownInList = [list](QWidget *item) {
            const QRect place(item->mapTo(list->viewport(), QPoint(0, 0)), item->size());
            return list->viewport()->rect().contains(place);
        };
        QTRY_VERIFY(shownInList(items.last()));
        QVERIFY(!shownInList(items.first()));
        QTRY_VERIFY_WITH_TIMEOUT(!items.last()->property("fresh").toBool(), 3000);

        window->onThumbnailClicked(1);
        QVERIFY(items.at(1)->property("viewed").toBool());
        QVERIFY(!items.at(6)->property("viewed").toBool());
        window->onBackToStreamClicked();
        QVERIFY(!items.at(1)->property("viewed").toBool());
        window->onRightEarButtonClicked();
        window->onDevicePhotograph();
        QCOMPARE(child<QLabel>(*window, "rightEarText")->text(), QStringLiteral("右耳 1"));
    }

    void thumbnailsTicksAndDeletion()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        for (int i = 0; i < 3; ++i)
            window->onDevicePhotograph();
        QList<QWidget *> items = thumbnails(*window);
        QCOMPARE(items.size(), 3);
        QTest::mouseClick(child<QPushButton>(*items.at(1), "thumbnailButton"), Qt::LeftButton);
        QCOMPARE(window->viewedPhotoIndex(), 1);
        QTRY_VERIFY(!child<QLabel>(*window, "photoViewLabel")->pixmap().isNull());

        auto *selectAll = child<QCheckBox>(*window, "selectAllCheck");
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!selectAll->isChecked());
            child<QCheckBox>(*thumbnails(*window).at(i), "thumbnailCheck")->click();
        }
        QVERIFY(selectAll->isChecked());
        child<QCheckBox>(*thumbnails(*window).at(1), "thumbnailCheck")->click();
        QVERIFY(!selectAll->isChecked());
        QCOMPARE(window->leftPhotos().checkedIndices(), QList<int>({0, 2}));

        // Batch save-as writes the photos' own bytes; names that exist get a counter.
        QTemporaryDir copies;
        QCOMPARE(window->saveCheckedPhotosTo(copies.path()), 2);
        QCOMPARE(window->saveCheckedPhotosTo(copies.path()), 2);
        const QStringList names = QDir(copies.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 4);
        QCOMPARE(names.filter(QRegularExpression(R"(_L_3(_2)?\.jpg$)")).size(), 2);
        QCOMPARE(TestSupport::readFile(copies.filePath(names.first())),
                 window->leftPhotos().at(0).jpeg());

        // Batch delete of 1 and 3 leaves photo 2, unticked as it was; back to the live view.
        const QString kept = window->leftPhotos().at(1).path;
        const QString gone = window->leftPhotos().at(0).path;
        auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        window->onBatchDeleteButtonClicked();
        QVERIFY(prompt->seen);
        QCOMPARE(window->leftPhotos().size(), 1);
        QCOMPARE(window->leftPhotos().at(0).path, kept);
        QVERIFY(!QFile::exists(gone));
        QCOMPARE(window->viewedPhotoIndex(), -1);

        // Its file already gone: the photo is removed all the same.
        QVERIFY(QFile::remove(kept));
        prompt = TestSupport::answerNextPrompt(Answer::Ok);
        QTest::mouseClick(child<QPushButton>(*thumbnails(*window).at(0), "thumbnailDelete"),
                          Qt::LeftButton);
        QVERIFY(prompt->seen);
        QCOMPARE(window->leftPhotos().size(), 0);
        QVERIFY(!child<QWidget>(*window, "batchArea")->isVisibleTo(window));
        QVERIFY(!selectAll->isEnabled());
    }

    // Photo folder unusable and customers.json unwritable: the photo stays
    // in memory, the failed save loses nothing, and the retry stores it.
    void failuresLoseNothing()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        TestSupport::writeFile(m_photos->filePath("file"), "x");
        window->setPhotoFolder(m_photos->filePath("file/photos"));
        proceedWithAda(*window);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^照片保存失败: .*_L\\.jpg\"?$"));
        window->onDevicePhotograph();
        QCOMPARE(window->leftPhotos().size(), 1);
        QVERIFY(window->leftPhotos().at(0).path.isEmpty());

        // The device going away (a flat battery) leaves the photos saveable.
        m_device.reset();
        QTRY_VERIFY(!window->networkHandler()->isConnected());
        QVERIFY(!child<QPushButton>(*window, "captureButton")->isEnabled());
        QVERIFY(child<QPushButton>(*window, "saveReportButton")->isEnabled());

        QVERIFY(QDir().mkpath(customersFilePath())); // a folder where the file should be
        TestSupport::answerNextPrompt(Answer::Ok);
        auto failed = TestSupport::answerNextPrompt(Answer::Ok);
        auto storeAlert = TestSupport::answerNextPrompt(Answer::Ok);
        window->onSaveReportButtonClicked();
        QVERIFY(failed->seen);
        QTRY_VERIFY(storeAlert->seen); // the store also says which file it left alone
        QVERIFY(window->hasInspectionContext());
        QCOMPARE(window->pageStack()->currentIndex(), 0);
        QVERIFY(!window->leftPhotos().at(0).isFiled());

        QVERIFY(QDir().rmdir(customersFilePath()));
        TestSupport::answerNextPrompt(Answer::Ok);
        window->onSaveReportButtonClicked();
        QCOMPARE(window->pageStack()->currentIndex(), 4);
        QVERIFY(!window->hasInspectionContext());
        const QList<Customer> stored = loadCustomers();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().name, QStringLiteral("Ada"));
        QCOMPARE(StoredPhoto::entries(stored.first().photos),
                 QStringList("left_1|" + window->leftPhotos().at(0).jpeg().toBase64()));
    }

    void viewersAndTheEnlargedPhotosEar()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        window->onDevicePhotograph();

        // Full-screen photo from a double-click on the enlarged one.
        window->onThumbnailClicked(0);
        QTest::mouseDClick(child<QLabel>(*window, "photoViewLabel"), Qt::LeftButton);
        auto *photo = window->findChild<FullscreenViewer *>("photoFullscreenViewer");
        QVERIFY(photo);
        QTRY_VERIFY(!photo->photoLabel()->pixmap().isNull());
        photo->exitButton()->click();

        // The enlarged photo stays with its own ear when the ear is switched.
        window->onRightEarButtonClicked();
        TestSupport::answerNextPrompt(Answer::Ok);
        window->onViewDeleteBtnClicked();
        QCOMPARE(window->leftPhotos().size(), 0);
        QCOMPARE(window->viewedPhotoIndex(), -1);
    }

    // The banner names the order being inspected: whole with captions where
    // there is room, the values alone where the window is narrow; its
    // tooltips show the values as typed, markup included.
    void contextBannerUsesItsRoom()
    {
        MainWindow window;
        window.setWindowState(Qt::WindowNoState); // opened maximized on the small test screen
        window.resize(1600, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Customer draft;
        draft.name = QStringLiteral("<i>Li</i>");
        draft.orderNumber = QStringLiteral("C&1");
        window.onProceedToInspection(draft);
        auto *customer = child<ElidedLabel>(window, "contextCustomerLabel");
        auto *order = child<ElidedLabel>(window, "contextOrderLabel");
        QTRY_COMPARE(customer->shownText(), customer->text());
        QCOMPARE(order->shownText(), order->text());
        QCOMPARE(shownToolTip(customer), QStringLiteral("客户姓名：<i>Li</i>"));
        QCOMPARE(shownToolTip(order), QStringLiteral("订单编号：C&1"));

        draft.name = QString(40, QLatin1Char('W'));
        window.onProceedToInspection(draft);
        window.resize(1100, 720);
        QTRY_VERIFY(customer->shownText().startsWith(QStringLiteral("WWW")));
        QCOMPARE(order->shownText(), order->text());
    }

    // Closing the banner ends the order but keeps the photos and the ear; a
    // new inspection starts empty on the left ear in the live view, leaving
    // the files of the last one on disk.
    void closingTheBannerAndStartingAgain()
    {
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        Customer draft;
        draft.name = QStringLiteral("Ada");
        window->onProceedToInspection(draft);
        window->onDevicePhotograph();
        window->onRightEarButtonClicked();
        window->onDevicePhotograph();
        window->onThumbnailClicked(0);
        const QStringList files = filesIn(m_photos->path());
        QCOMPARE(files.size(), 2);

        auto *banner = child<QWidget>(*window, "contextBanner");
        QVERIFY(banner->isVisibleTo(window));
        QTest::mouseClick(child<QPushButton>(*window, "contextCloseButton"), Qt::LeftButton);
        QVERIFY(!window->hasInspectionContext());
        QVERIFY(!banner->isVisibleTo(window));
        QCOMPARE(window->leftPhotos().size(), 1);
        QCOMPARE(window->rightPhotos().size(), 1);
        QVERIFY(!window->leftEarSelected());
        QCOMPARE(thumbnails(*window).size(), 1);

        // Photos in no order leave the workspace only when the user agrees;
        // kept, they go into the new inspection.
        auto prompt = TestSupport::answerNextPrompt(Answer::Cancel);
        window->onProceedToInspection(draft);
        QVERIFY(prompt->text.contains("2 张照片"));
        QCOMPARE(prompt->highlighted, QStringLiteral("取消"));
        QVERIFY(window->hasInspectionContext());
        QCOMPARE(window->leftPhotos().size() + window->rightPhotos().size(), 2);
        prompt = TestSupport::answerNextPrompt(Answer::Ok);
        window->onProceedToInspection(draft);
        QVERIFY(prompt->seen);
        QCOMPARE(window->leftPhotos().size(), 0);
        QCOMPARE(window->rightPhotos().size(), 0);
        QVERIFY(window->leftEarSelected());
        QCOMPARE(window->viewedPhotoIndex(), -1);
        QVERIFY(window->streamWidget()->isVisibleTo(window));
        QCOMPARE(thumbnails(*window).size(), 0);
        QCOMPARE(filesIn(m_photos->path()), files);
    }

    // Closing asks while photos are in no order. A run that ends without the
    // window closing offers them back at the next start, from their files;
    // declined or closed on purpose, nothing is offered again.
    void unfiledPhotosAreAskedForAndOfferedBack_data()
    {
        QTest::addColumn<bool>("bringBack");
        QTest::newRow("brought back") << true;
        QTest::newRow("declined") << false;
    }

    void unfiledPhotosAreAskedForAndOfferedBack()
    {
        QFETCH(bool, bringBack);
        const QString journal = WorkspaceJournal::defaultPath();
        QFile::remove(journal);
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        window->offerUnfiledPhotos(); // nothing to offer, no question
        window->onDevicePhotograph();
        window->onRightEarButtonClicked();
        window->onDevicePhotograph();
        window->onDevicePhotograph();
        QCOMPARE(WorkspaceJournal(journal).recoverable().size(), 3);

        auto prompt = TestSupport::answerNextPrompt(Answer::Cancel);
        QVERIFY(!window->close());
        QVERIFY(prompt->text.contains("3 张照片"));
        QVERIFY(window->isVisible());

        const QString kept = window->leftPhotos().at(0).path;
        const QString removed = window->rightPhotos().at(0).path;
        m_window.reset(); // ends without closing
        QVERIFY(QFile::remove(removed));
        m_window = std::make_unique<MainWindow>();
        window = m_window.get();
        prompt = TestSupport::answerNextPrompt(bringBack ? Answer::Ok : Answer::Cancel);
        window->offerUnfiledPhotos();
        QVERIFY(prompt->text.contains("2 张照片"));
        QCOMPARE(window->leftPhotos().size(), bringBack ? 1 : 0);
        QCOMPARE(window->rightPhotos().size(), bringBack ? 1 : 0);
        QCOMPARE(QFile::exists(journal), bringBack);
        QVERIFY(QFile::exists(kept));
        if (!bringBack)
            return;
        QCOMPARE(window->leftPhotos().at(0).path, kept);
        QCOMPARE(window->leftPhotos().at(0).jpeg(), TestSupport::readFile(kept));
        QCOMPARE(thumbnails(*window).size(), 1);

        window->show();
        prompt = TestSupport::answerNextPrompt(Answer::Ok);
        QVERIFY(window->close());
        QVERIFY(prompt->seen);
        QVERIFY(!QFile::exists(journal));
        QVERIFY(QFile::exists(kept));
    }

    // A prompt answered with Cancel, or a message that nothing can be done,
    // leaves the workspace, its files, the order and the page as they were.
    void refusedActionsChangeNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("photos");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("prompt");
        const int ok = int(Answer::Ok);
        const int cancel = int(Answer::Cancel);
        QTest::newRow("save without photos")
            << "save" << 0 << false << ok << "请至少先拍摄一张照片";
        QTest::newRow("save cancelled") << "save" << 2 << false << cancel << "确定保存报告？";
        QTest::newRow("delete cancelled") << "delete" << 2 << false << cancel << "确定删除该照片？";
        QTest::newRow("batch delete cancelled")
            << "batchDelete" << 2 << true << cancel << "确定删除选中照片？";
        QTest::newRow("batch delete, nothing ticked")
            << "batchDelete" << 2 << false << ok << "请先勾选要删除的照片";
        QTest::newRow("save-as, nothing ticked")
            << "batchSaveAs" << 2 << false << ok << "请先勾选要另存的照片";
        // Escape closes the folder dialog, which has no prompt text.
        QTest::newRow("save-as folder cancelled")
            << "batchSaveAs" << 2 << true << int(Answer::Escape) << "";
    }

    void refusedActionsChangeNothing()
    {
        QFETCH(QString, action);
        QFETCH(int, photos);
        QFETCH(bool, ticked);
        QFETCH(int, answer);
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        proceedWithAda(*window);
        for (int i = 0; i < photos; ++i)
            window->onDevicePhotograph();
        window->onSelectAllToggled(ticked);
        window->onThumbnailClicked(0);
        const QStringList files = filesIn(m_photos->path());

        auto prompt = TestSupport::answerNextPrompt(Answer(answer));
        auto unexpected = TestSupport::answerNextPrompt(Answer::Ok); // a second prompt
        if (action == "save")
            QTest::mouseClick(child<QPushButton>(*window, "saveReportButton"), Qt::LeftButton);
        else if (action == "delete")
            QTest::mouseClick(child<QPushButton>(*thumbnails(*window).at(0), "thumbnailDelete"),
                              Qt::LeftButton);
        else if (action == "batchDelete")
            QTest::mouseClick(child<QPushButton>(*window, "batchDeleteButton"), Qt::LeftButton);
        else
            QTest::mouseClick(child<QPushButton>(*window, "batchSaveAsButton"), Qt::LeftButton);
        QVERIFY(prompt->seen);
        QTEST(prompt->text, "prompt");
        QVERIFY(!unexpected->seen);
        unexpected->disarmed = true;

        QVERIFY(window->hasInspectionContext());
        QCOMPARE(window->pageStack()->currentIndex(), 0);
        QCOMPARE(window->leftPhotos().size(), photos);
        QCOMPARE(window->leftPhotos().checkedIndices().size(), ticked ? photos : 0);
        QCOMPARE(window->viewedPhotoIndex(), photos > 0 ? 0 : -1);
        QCOMPARE(filesIn(m_photos->path()), files);
        QVERIFY(loadCustomers().isEmpty());
    }

    // A saved order's photos stay, marked with its number, and go into the
    // next order only when ticked on purpose and confirmed.
    void filedPhotosStayOutOfTheNextOrder()
    {
        Fitter fitter;
        fitter.id = 1;
        fitter.name = QStringLiteral("Ines");
        QVERIFY(saveFitters({fitter}));
        MainWindow *window = openStreamingWindow();
        QVERIFY(window);
        proceedWithAda(*window);
        window->onDevicePhotograph();
        window->onDevicePhotograph();
        TestSupport::answerNextPrompt(Answer::Ok);
        window->onSaveReportButtonClicked();
        QCOMPARE(window->pageStack()->currentIndex(), 4);
        window->onInspectBtnClicked();
        QCOMPARE(thumbnails(*window).size(), 2);
        auto *badge = child<QLabel>(*thumbnails(*window).at(0), "thumbnailFiled");
        QVERIFY(badge->isVisibleTo(window));
        QCOMPARE(badge->text(), QStringLiteral("已存入订单 A-7"));

        // The next patient's order, through the new-order page, gets only the new photo.
        window->onDevicePhotograph();
        QVERIFY(!child<QLabel>(*thumbnails(*window).at(2), "thumbnailFiled")->isVisibleTo(window));
        TestSupport::answerNextPrompt(Answer::Ok);
        window->onSaveReportButtonClicked();
        QCOMPARE(window->pageStack()->currentIndex(), 2);
        SaveReportPage &form = *window->saveReportPage();
        child<QLineEdit>(form, "orderNumberEdit")->setText("B-8");
        child<QLineEdit>(form, "nameEdit")->setText("Bo");
        form.onSaveClicked();
        QCOMPARE(window->pageStack()->currentIndex(), 4);
        const QList<Customer> orders = loadCustomers();
        QCOMPARE(orders.size(), 2);
        QCOMPARE(orders.at(0).photos.size(), 2);
        QCOMPARE(StoredPhoto::entries(orders.at(1).photos),
                 QStringList(window->leftPhotos().orderPhotoName(2) + "|" +
                             window->leftPhotos().at(2).jpeg().toBase64()));
        QCOMPARE(window->leftPhotos().at(2).orderNumbers, QStringList("B-8"));

        // Nothing left to file until a photo is ticked; then one question says which order.
        window->onInspectBtnClicked();
        auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        window->onSaveReportButtonClicked();
        QCOMPARE(prompt->text, QStringLiteral("这些照片都已存入订单。如需再次保存，请先勾选。"));
        child<QCheckBox>(*thumbnails(*window).at(0), "thumbnailCheck")->click();
        prompt = TestSupport::answerNextPrompt(Answer::Cancel);
        window->onSaveReportButtonClicked();
        QVERIFY(prompt->text.contains("1 张照片已存入订单 A-7"));
        QCOMPARE(window->pageStack()->currentIndex(), 0);
        QCOMPARE(loadCustomers().size(), 2);
    }

    void autoConnectsAndStartsTheStream3sLater()
    {
        QElapsedTimer clock;
        clock.start();
        MainWindow *window = makeWindow();
        window->show();
        QSignalSpy connected(m_device.get(), &QTcpServer::newConnection);
        QVERIFY(connected.wait(3000));
        QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));

        clock.restart();
        QTRY_COMPARE(TestSupport::armedMs(window, "streamStartTimer"), 3000);
        // Connected, no picture yet: the view must not claim there is no device.
        QCOMPARE(streamText(*window), QStringLiteral("正在连接视频流..."));
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(6000));
        QVERIFY2(clock.elapsed() >= 2700 && clock.elapsed() <= 3300,
                 qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!window->streamWidget()->currentFrame().isNull());

        // The device drops: the live view goes back to its idle text at once.
        m_device->client->abort();
        QTRY_VERIFY(!window->streamWidget()->isPlaying());
        QVERIFY(window->streamWidget()->currentFrame().isNull());
        QCOMPARE(streamText(*window), QStringLiteral("设备未连接"));
    }

    // Without the device neither the delayed start nor a resolution change
    // starts the stream, and a picture from elsewhere opens no full screen.
    void noStreamOrFullScreenWithoutTheDevice()
    {
        MainWindow *window = makeWindow();
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(m_device->hasClient(), 3000);
        m_device->close(); // no reconnection either
        m_device->client->abort();
        QTRY_VERIFY(!window->networkHandler()->isConnected());
        QSignalSpy status(window->networkHandler(), &NetworkHandler::statusUpdated);
        window->changeResolution(QStringLiteral("1920*1080"), QStringLiteral("1920×1080"));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("未连接，无法发送命令"));
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(!requested.wait(3600));
        window->streamWidget()->startStream(m_stream->url());
        QTRY_VERIFY(!window->streamWidget()->latestFrame().isNull());
        QTest::mouseDClick(window->streamWidget(), Qt::LeftButton);
        QVERIFY(!liveViewer());
    }

    // Stop the live view, tell the device, restart once the camera had 2.5 s to switch.
    void changeResolutionWhileStreamingThenClose()
    {
        MainWindow *window = makeWindow();
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(5000));
        requested.clear();

        QElapsedTimer clock;
        clock.start();
        window->changeResolution(QStringLiteral("640*480"), QStringLiteral("640×480"));
        QCOMPARE(TestSupport::armedMs(window, "resolutionRestartTimer"), 2500);
        QCOMPARE(window->streamWidget()->state(), StreamDisplayWidget::Stopped);
        QTRY_VERIFY(m_device->bytes().endsWith(
            "{\"command\":\"12\",\"info\":\"640*480\",\"status\":\"0\"}"));
        QVERIFY(requested.wait(4000));
        QVERIFY2(clock.elapsed() >= 2250 && clock.elapsed() <= 2750,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window->streamWidget()->isPlaying());

        // Destroyed while streaming: the device link closes at once.
        clock.restart();
        m_window.reset();
        QVERIFY(clock.elapsed() < 1500);
        QTRY_VERIFY(!m_device->hasClient());
    }

    // The device forgets its resolution with every connection: the user's
    // choice goes back to it each time, in place of 1280*720, so a WiFi blip
    // does not halve the photos' pixels. A choice restored at start-up counts
    // from the first connection.
    void chosenResolutionOutlivesReconnections()
    {
        MainWindow *window = makeWindow();
        QCOMPARE(window->chosenResolution(), QString());
        window->setChosenResolution(QStringLiteral("640*480"));
        auto *combo = window->findChild<QComboBox *>("resolutionCombo");
        QCOMPARE(combo->currentText(), QStringLiteral("640×480"));
        const auto resolutionCommands = [this] {
            QStringList sent;
            for (const auto &read : m_device->received) {
                if (read.second.startsWith(R"({"command":"12")"))
                    sent << QString::fromLatin1(read.second);
            }
            return sent;
        };
        QTRY_COMPARE_WITH_TIMEOUT(resolutionCommands(),
                                  QStringList{R"({"command":"12","info":"640*480","status":"0"})"},
                                  3000);

        combo->setCurrentIndex(combo->findText(QStringLiteral("1920×1080")));
        QCOMPARE(window->chosenResolution(), QStringLiteral("1920*1080"));
        m_device->client->abort();
        QTRY_COMPARE_WITH_TIMEOUT(m_device->connections, 2, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(
            resolutionCommands(),
            QStringList{R"({"command":"12","info":"1920*1080","status":"0"})"}, 3000);
        QCOMPARE(combo->currentText(), QStringLiteral("1920×1080"));
        // The device's answer is what the settings show.
        m_device->client->write(R"({"command":"12","info":"1280*720","status":"0"})");
        QTRY_COMPARE(combo->currentText(), QStringLiteral("1280×720"));
        m_device->client->write(R"({"command":"12","info":"high","status":"0"})");
        QTest::qWait(100);
        QCOMPARE(combo->currentText(), QStringLiteral("1280×720"));
    }

    // Polled 0.8 s after start, then every 3 s.
    void wifiIndicatorFollowsTheSource()
    {
        MainWindow window;
        auto *source = new FixedWifiSource;
        source->clock.start();
        window.setWifiSignalSource(source);
        QTRY_COMPARE_WITH_TIMEOUT(source->asked.size(), 2, 5000);
        QVERIFY2(source->asked.at(0) >= 720 && source->asked.at(0) <= 880,
                 qPrintable(QString::number(source->asked.at(0))));
        QVERIFY2(source->asked.at(1) >= 2700 && source->asked.at(1) <= 3300,
                 qPrintable(QString::number(source->asked.at(1))));
        // The device address is on this namespace's loopback.
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("wifiSignalLabel"))->text(),
                 QStringLiteral("信号：强"));
    }

    // The full screen shows the page's own stream, so a camera that serves
    // one client at a time gives both the picture; closing it, however, lets
    // go of that stream and leaves the page streaming.
    void fullScreenSharesThePageStream_data()
    {
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("exit button") << "exit";
        QTest::newRow("escape") << "escape";
        QTest::newRow("double-click inside") << "double-click";
    }

    void fullScreenSharesThePageStream()
    {
        QVERIFY(openStreamingWindow(true));
        QSignalSpy requests(m_stream.get(), &FakeMjpegServer::requestReceived);
        openFullScreen();
        QVERIFY(!QTest::currentTestFailed());
        QPointer<FullscreenViewer> viewer = liveViewer();
        StreamDisplayWidget *view = viewer->liveView();
        const int shown = view->decodedFrameCount();
        QTRY_VERIFY(view->decodedFrameCount() > shown + 2); // keeps moving

        // Space captures the picture on the screen, and a small copy of it
        // shows in a corner for a moment.
        QVERIFY(!viewer->captureConfirmation());
        QTest::keyClick(viewer, Qt::Key_Space);
        QCOMPARE(m_window->leftPhotos().size(), 1);
        QCOMPARE(m_window->leftPhotos().at(0).fullImage().size(), QSize(320, 240));
        QVERIFY(viewer->captureConfirmation()->isVisible());
        QVERIFY(viewer->rect().contains(viewer->captureConfirmation()->geometry()));
        QTRY_VERIFY_WITH_TIMEOUT(!viewer->captureConfirmation()->isVisible(), 3000);

        QFETCH(QString, closeBy);
        if (closeBy == "exit")
            viewer->exitButton()->click();
        else if (closeBy == "escape")
            QTest::keyClick(viewer, Qt::Key_Escape);
        else
            QTest::mouseDClick(view, Qt::LeftButton);
        QTRY_VERIFY(!viewer);
        QCOMPARE(requests.size(), 0);
        QVERIFY(m_window->streamWidget()->isPlaying());
        const int page = m_window->streamWidget()->decodedFrameCount();
        QTRY_VERIFY(m_window->streamWidget()->decodedFrameCount() > page + 2);
        QCOMPARE(requests.size(), 0);
    }

    // A capture that finds no picture tells the user where they are looking,
    // whichever way it was started, and adds nothing.
    void captureWithoutAPictureSaysSo_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("capture button") << "button";
        QTest::newRow("device button") << "device";
        QTest::newRow("space in full screen") << "fullscreen";
    }

    void captureWithoutAPictureSaysSo()
    {
        QFETCH(QString, trigger);
        QVERIFY(openStreamingWindow(true));
        if (trigger == "fullscreen")
            openFullScreen();
        QVERIFY(!QTest::currentTestFailed());
        FullscreenViewer *viewer = liveViewer();
        QWidget *host = viewer ? static_cast<QWidget *>(viewer)
                               : m_window->findChild<QWidget *>(QStringLiteral("centerPanel"));
        StreamDisplayWidget *view = viewer ? viewer->liveView() : m_window->streamWidget();

        m_stream->stalled = true; // the picture goes after the frame timeout
        QTRY_VERIFY_WITH_TIMEOUT(view->currentFrame().isNull(), 5000);
        QVERIFY(m_window->networkHandler()->isConnected());
        if (trigger == "button")
            QTest::mouseClick(m_window->findChild<QPushButton *>("captureButton"), Qt::LeftButton);
        else if (trigger == "device")
            m_device->client->write(R"({"command":"4","info":"PHOTOGRAPH","status":"0"})");
        else
            QTest::keyClick(viewer, Qt::Key_Space);

        TransientNotice *notice = nullptr;
        QTRY_VERIFY((notice = host->findChild<TransientNotice *>()) && notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("未能拍照：当前没有实时画面"));
        QCOMPARE(m_window->leftPhotos().size(), 0);
    }
};

LUMAURAL_TEST_MAIN(TestMainWindowInspection)
#include "tst_mainwindowinspection.moc"

// The order detail page: values, the photo grid, selection, the viewer and
// the comparison with earlier visits.
#include "records/comparepane.h"
#include "records/orderdetailpage.h"
#include "records/photocompareview.h"
#include "records/photoviewer.h"
#include "records/reportphoto.h"
#include "records/store/photoentry.h"
#include "records/store/recordstore.h"
#include "records/visitcompare.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/roundedcheckbox.h"

#include "pagedriver.h"

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// A stored entry "name|Base64 JPEG", as the save page writes it.
QString photo(const QString &name)
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    return photoEntry({QPixmap::fromImage(image), name});
}

QString valueText(OrderDetailPage &page, int field)
{
    return page.findChild<QLabel *>(QStringLiteral("detailValue%1").arg(field))->text();
}

void showWide(OrderDetailPage &page)
{
    page.resize(1100, 800);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
}

} // namespace

class TestOrderDetailPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("en_US")); }

    void valuesArePlainDashedAndWhole()
    {
        OrderDetailPage page;
        Customer c;
        c.name = QStringLiteral("<img src=x>");
        c.gender = QStringLiteral("男");
        c.createdAt = QStringLiteral("2025-03-04T10:11:12.345");
        c.address = QString(200, QChar(u'路'));
        c.notes = QString(10000, QLatin1Char('n')) + "\nend";
        c.photos = {photo("a")};
        page.showOrder(c);
        const QChar zeroWidthSpace(0x200B);
        QCOMPARE(valueText(page, 0), QStringLiteral("<img src=x>"));
        QCOMPARE(child<QLabel>(page, "detailValue0")->textFormat(), Qt::PlainText);
        QCOMPARE(valueText(page, 1), QStringLiteral("-"));
        QCOMPARE(valueText(page, 2), QStringLiteral("Male"));
        QCOMPARE(valueText(page, 6), QStringLiteral("2025-03-04 10:11:12"));
        QCOMPARE(valueText(page, 7).remove(zeroWidthSpace), c.address);
        QCOMPARE(valueText(page, 9).remove(zeroWidthSpace), c.notes);

        // The page's share of a 1100 x 720 window: a whole row of photos shows,
        // the rest of the page scrolls, and a value keeps its distance from the
        // next title.
        page.resize(932, 688);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.minimumSizeHint().width() <= 932);
        auto *item = child<QWidget>(page, "recordItem");
        QTRY_VERIFY(child<QScrollArea>(page, "recordScrollArea")->height() >= item->height());
        QVERIFY(child<QScrollArea>(page, "detailScrollArea")->verticalScrollBar()->maximum() > 0);
        auto *name = child<QLabel>(page, "detailValue0");
        QLabel *birthdayTitle = nullptr;
        for (QLabel *label : page.findChildren<QLabel *>())
            if (label->text() == uiText("customer.birth_date", "?"))
                birthdayTitle = label;
        QVERIFY(birthdayTitle);
        QVERIFY(name->x() + name->contentsRect().right() + 16 <= birthdayTitle->x());
        QSignalSpy back(&page, &OrderDetailPage::backRequested);
        QTest::mouseClick(child<QPushButton>(page, "detailBackButton"), Qt::LeftButton);
        QCOMPARE(back.size(), 1);
    }

    void brokenPhotosShowNoPictureAndOpenNothing()
    {
        OrderDetailPage page;
        const QString image = photo("left_1");
        Customer c;
        c.photos = {image,
                    image.section('|', 1),
                    "not base64 !!!",
                    "x|" + QString::fromLatin1(QByteArray("hello").toBase64()),
                    QString(),
                    "|",
                    QStringLiteral("名字|") + QString(3, QChar(0x4E00))};
        page.showOrder(c);
        const auto names = page.findChildren<ElidedLabel *>(QStringLiteral("photoNameLabel"));
        QCOMPARE(names.size(), 7);
        QCOMPARE(names.at(0)->text(), QStringLiteral("Left ear · left_1"));
        QCOMPARE(names.at(1)->text(), QStringLiteral("Inspection photo"));
        QCOMPARE(names.at(3)->text(), QStringLiteral("x"));
        const auto pictures = page.findChildren<QLabel *>(QStringLiteral("thumbnailPicture"));
        QVERIFY(!pictures.at(0)->pixmap().isNull() && !pictures.at(1)->pixmap().isNull());
        for (int i = 2; i < 7; ++i) {
            QVERIFY(pictures.at(i)->pixmap().isNull());
            page.showPhotoFullScreen(i); // would block if a viewer opened
        }
        QCOMPARE(PhotoEntry::thumbnailOf(c.photos.at(0), QSize(220, 124)).size(), QSize(220, 124));
    }

    void selectionFollowsTheBoxesAndViewOpensTheViewer()
    {
        OrderDetailPage page;
        showWide(page);
        Customer c;
        for (int i = 0; i < 4; ++i)
            c.photos.append(photo(QStringLiteral("20250304_09000%1_L").arg(i)));
        page.showOrder(c);
        auto *selectAll = child<RoundedCheckBox>(page, "detailSelectAll");
        const QList<int> all{0, 1, 2, 3};
        QCOMPARE(page.selectedPhotoIndices(), all);
        QTest::mouseClick(page.photoCheckBoxes().at(1), Qt::LeftButton);
        QTest::mouseClick(page.photoCheckBoxes().at(3), Qt::LeftButton);
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 2}));
        QVERIFY(!selectAll->isChecked());
        QTest::mouseClick(selectAll, Qt::LeftButton);
        QCOMPARE(page.selectedPhotoIndices(), all);
        QTest::mouseClick(selectAll, Qt::LeftButton);
        QVERIFY(page.selectedPhotoIndices().isEmpty());
        page.resize(900, 800); // a rebuild chooses every photo again
        QCOMPARE(page.selectedPhotoIndices(), all);
        QTest::mouseClick(page.photoCheckBoxes().at(0), Qt::LeftButton);
        QVERIFY(useShippedLanguage("de_DE"));
        QCOMPARE(page.selectedPhotoIndices(), all);
        QVERIFY(useShippedLanguage("en_US"));

        bool sawViewer = false;
        whenModalShown<PhotoViewer>([&sawViewer](PhotoViewer *viewer) {
            sawViewer = true;
            child<QPushButton>(*viewer, "exitFullscreenButton")->click();
        });
        QTest::mouseClick(child<QPushButton>(page, "photoViewButton"), Qt::LeftButton);
        QTRY_VERIFY(sawViewer);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    // The same customer's earlier visits are listed newest first; the
    // comparison opens with the order's first photo against the same ear of
    // the newest visit, and one wheel zooms both sides.
    void earlierVisitsOpenTheComparison()
    {
        removeStoreFiles();
        Customer older;
        older.id = 1;
        older.name = QStringLiteral("Anna");
        older.phone = QStringLiteral("+49 170 1234567");
        older.createdAt = QStringLiteral("2025-01-02T10:00:00");
        older.photos = {photo("20250102_100000_R"), photo("20250102_100010_L")};
        Customer newer = older;
        newer.id = 2;
        newer.createdAt = QStringLiteral("2025-06-02T10:00:00");
        Customer today = older;
        today.id = 3;
        today.phone = QStringLiteral("0049 170 1234567");
        today.createdAt = QStringLiteral("2026-01-05T09:00:00");
        today.photos = {photo("20260105_090000_L")};
        Customer stranger;
        stranger.id = 4;
        stranger.name = QStringLiteral("Bob");
        stranger.createdAt = QStringLiteral("2025-03-03T10:00:00");
        QVERIFY(saveCustomers({older, stranger, newer, today}));

        OrderDetailPage page;
        showWide(page);
        page.showOrder(today);
        QCOMPARE(page.earlierVisits().size(), 2);
        QCOMPARE(page.earlierVisits().first().id, 2);
        QCOMPARE(page.findChildren<QPushButton *>("earlierVisitButton").size(), 2);
        // Choices: today's left (0), then each visit's right and left.
        QCOMPARE(VisitCompare::defaultPair(today, page.earlierVisits()), qMakePair(0, 2));
        QCOMPARE(VisitCompare::defaultPair(today, page.earlierVisits(), 1), qMakePair(0, 4));

        bool compared = false;
        whenModalShown<PhotoCompareView>([&compared](PhotoCompareView *view) {
            compared = true;
            QCOMPARE(view->choiceBox(1)->currentIndex(), 2);
            QVERIFY(!view->pane(1)->photo().isNull()); // read from the store on demand
            const QRectF before = view->pane(1)->photoRect();
            const QPointF at(view->pane(0)->width() / 4.0, view->pane(0)->height() / 3.0);
            QWheelEvent wheel(at, view->pane(0)->mapToGlobal(at), QPoint(), QPoint(0, 360),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view->pane(0), &wheel);
            QVERIFY(view->zoomPan().zoom() > 1.9);
            QVERIFY(view->pane(1)->photoRect().width() > 1.9 * before.width());
            QTest::keyClick(view, Qt::Key_0);
            QCOMPARE(view->pane(1)->photoRect(), before);
            view->close();
        });
        QTest::mouseClick(child<QPushButton>(page, "compareButton"), Qt::LeftButton);
        QTRY_VERIFY(compared);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
};

LUMAURAL_TEST_MAIN(TestOrderDetailPage)
#include "tst_orderdetailpage.moc"

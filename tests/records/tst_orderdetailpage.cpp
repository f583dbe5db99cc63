// The order detail page: values, the photo grid, selection and the viewer.
#include "records/orderdetailpage.h"
#include "records/photoentry.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/roundedcheckbox.h"

#include "i18n/langmanager.h"

#include "common/testsupport.h"

#include <QBuffer>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace {

QString jpegBase64(const QSize &size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return QString::fromLatin1(bytes.toBase64());
}

QString valueText(OrderDetailPage &page, int field)
{
    return page.findChild<QLabel *>(QStringLiteral("detailValue%1").arg(field))->text();
}

Customer orderWithPhotos(int count)
{
    Customer c;
    c.id = 3;
    for (int i = 0; i < count; ++i)
        c.photos.append(QStringLiteral("20250304_0900%1_L|").arg(i, 2, 10, QLatin1Char('0')) +
                        jpegBase64(QSize(64, 36), Qt::darkRed));
    return c;
}

RoundedCheckBox *selectAllBox(OrderDetailPage &page)
{
    return page.findChild<RoundedCheckBox *>(QStringLiteral("detailSelectAll"));
}

} // namespace

class TestOrderDetailPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LangManager::instance()->loadLanguagePacks(QStringLiteral(LUMAURAL_SOURCE_DIR) +
                                                           "/i18n/languages"));
        LangManager::instance()->setLanguage(QStringLiteral("en_US"));
    }

    void valuesUseDashesAndPlainText()
    {
        OrderDetailPage page;
        Customer c;
        c.name = QStringLiteral("<img src=x>");
        c.gender = QStringLiteral("男");
        c.createdAt = QStringLiteral("2025-03-04T10:11:12.345");
        c.orderNumber = QStringLiteral("A-1");
        page.showOrder(c);
        QCOMPARE(valueText(page, 0), QStringLiteral("<img src=x>"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("detailValue0"))->textFormat(),
                 Qt::PlainText);
        QCOMPARE(valueText(page, 1), QStringLiteral("-"));
        QCOMPARE(valueText(page, 2), QStringLiteral("Male"));
        QCOMPARE(valueText(page, 3), QStringLiteral("-"));
        QCOMPARE(valueText(page, 5), QStringLiteral("A-1"));
        QCOMPARE(valueText(page, 6), QStringLiteral("2025-03-04 10:11:12"));
        QCOMPARE(valueText(page, 9), QStringLiteral("-"));
        QVERIFY(page.findChild<QLabel *>(QStringLiteral("recordsEmptyLabel")));
        QVERIFY(!selectAllBox(page)->isChecked());
    }

    void veryLongNotesAreCappedAndBreakable()
    {
        OrderDetailPage page;
        Customer c;
        c.notes = QString(100000, QLatin1Char('n'));
        page.showOrder(c);
        const QString shown = valueText(page, 9);
        QVERIFY(shown.size() < 1000);
        QVERIFY(shown.contains(QChar(0x200B)));
        QVERIFY(shown.endsWith(QChar(0x2026)));
        page.resize(1200, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.minimumSizeHint().width() < 1200);
    }

    void gridColumnsFollowTheViewport()
    {
        OrderDetailPage page;
        page.resize(1100, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.showOrder(orderWithPhotos(7));
        QCoreApplication::processEvents();
        const int viewport = page.findChild<QScrollArea *>()->viewport()->width();
        QCOMPARE(page.recordColumns(), std::max(1, (viewport - 12 + 12) / 232));
        auto *grid = page.findChild<QWidget *>(QStringLiteral("recordContainer"))
                         ->findChild<QGridLayout *>();
        Q_UNUSED(grid);
        QCOMPARE(page.photoCheckBoxes().size(), 7);
    }

    void photoNamesAndBrokenPhotos()
    {
        OrderDetailPage page;
        Customer c;
        const QString image = jpegBase64(QSize(40, 30), Qt::blue);
        c.photos = {QStringLiteral("left_1|") + image,
                    image,
                    QStringLiteral("not base64 !!!"),
                    QStringLiteral("x|") + QString::fromLatin1(QByteArray("hello").toBase64()),
                    QString(),
                    QStringLiteral("|"),
                    QStringLiteral("名字|") + QString(3, QChar(0x4E00))};
        page.showOrder(c);
        const auto names = page.findChildren<ElidedLabel *>(QStringLiteral("photoNameLabel"));
        QCOMPARE(names.size(), 7);
        QCOMPARE(names.at(0)->text(), QStringLiteral("left_1"));
        QCOMPARE(names.at(1)->text(), QStringLiteral("Inspection photo"));
        QCOMPARE(names.at(3)->text(), QStringLiteral("x"));
        const auto pictures = page.findChildren<QLabel *>(QStringLiteral("thumbnailPicture"));
        QCOMPARE(pictures.size(), 7);
        QVERIFY(!pictures.at(0)->pixmap().isNull());
        QVERIFY(!pictures.at(1)->pixmap().isNull());
        for (int i = 2; i < 7; ++i) {
            QVERIFY(pictures.at(i)->pixmap().isNull());
            page.showPhotoFullScreen(i); // would block if a viewer opened
        }
        QVERIFY(PhotoEntry::imageOf(c.photos.at(2)).isNull());
        QCOMPARE(PhotoEntry::thumbnailOf(c.photos.at(0), QSize(220, 124)).size(), QSize(220, 124));
    }

    void selectionFollowsTheBoxes()
    {
        OrderDetailPage page;
        page.resize(1100, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.showOrder(orderWithPhotos(4));
        QCoreApplication::processEvents();
        QVERIFY(selectAllBox(page)->isChecked());
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 1, 2, 3}));
        QTest::mouseClick(page.photoCheckBoxes().at(1), Qt::LeftButton);
        QTest::mouseClick(page.photoCheckBoxes().at(3), Qt::LeftButton);
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 2}));
        QVERIFY(!selectAllBox(page)->isChecked());
        QTest::mouseClick(selectAllBox(page), Qt::LeftButton);
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 1, 2, 3}));
        QTest::mouseClick(selectAllBox(page), Qt::LeftButton);
        QVERIFY(page.selectedPhotoIndices().isEmpty());
        // A rebuild (resize, language) chooses every photo again.
        page.resize(900, 800);
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 1, 2, 3}));
        QTest::mouseClick(page.photoCheckBoxes().at(0), Qt::LeftButton);
        LangManager::instance()->setLanguage(QStringLiteral("de_DE"));
        QCOMPARE(page.selectedPhotoIndices(), (QList<int>{0, 1, 2, 3}));
        LangManager::instance()->setLanguage(QStringLiteral("en_US"));
    }

    void viewerOpensAndCloses()
    {
        OrderDetailPage page;
        page.resize(1100, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.showOrder(orderWithPhotos(2));
        QCoreApplication::processEvents();
        bool sawViewer = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            poll.stop();
            sawViewer = modal->objectName() == QLatin1String("photoViewer");
            if (auto *exit =
                    modal->findChild<QPushButton *>(QStringLiteral("exitFullscreenButton")))
                exit->click();
            else
                modal->close();
        });
        poll.start();
        const auto views = page.findChildren<QPushButton *>(QStringLiteral("photoViewButton"));
        QVERIFY(!views.isEmpty());
        QTest::mouseClick(views.first(), Qt::LeftButton);
        QTRY_VERIFY(sawViewer);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void backButtonAsks()
    {
        OrderDetailPage page;
        QSignalSpy back(&page, &OrderDetailPage::backRequested);
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("detailBackButton")),
                          Qt::LeftButton);
        QCOMPARE(back.size(), 1);
    }
};

LUMAURAL_TEST_MAIN(TestOrderDetailPage)
#include "tst_orderdetailpage.moc"

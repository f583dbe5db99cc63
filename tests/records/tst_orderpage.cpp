// The order list driven through its controls: paging, GO, views, selection,
// deletion and what it shows for odd data; the order detail page: values, the
// photo grid, selection, the viewer and the comparison with earlier visits.
#include "records/comparepane.h"
#include "records/orderdetailpage.h"
#include "records/orderlayout.h"
#include "records/orderpage.h"
#include "records/photocompareview.h"
#include "records/photoviewer.h"
#include "records/reportphoto.h"
#include "records/store/jsonrecordsbackend.h"
#include "records/store/photoentry.h"
#include "records/visitcompare.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/ordertableheader.h"
#include "ui/common/roundedcheckbox.h"

#include "pagedriver.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QWheelEvent>

using TestSupport::Answer;

namespace {

// Orders made today pass the date fields' default range (this year up to today).
QString today(const char *format)
{
    return QDate::currentDate().toString(QLatin1String(format));
}

Customer makeOrder(int id, const QString &createdAt = today("yyyy-MM-dd") + "T10:11:12")
{
    Customer c;
    c.id = id;
    c.name = QStringLiteral("Customer %1").arg(id);
    c.createdAt = createdAt;
    return c;
}

QList<Customer> makeOrders(int count)
{
    QList<Customer> orders;
    for (int id = 1; id <= count; ++id)
        orders.append(makeOrder(id));
    return orders;
}

// The files, behind a server that can be switched off.
class AwayBackend : public JsonRecordsBackend
{
public:
    bool away = true;
    QList<Customer> listOrders(StoreResult *result) override
    {
        if (!away)
            return JsonRecordsBackend::listOrders(result);
        if (result)
            result->status = StoreResult::Status::Unreachable;
        return {};
    }
};

QTableWidget *table(OrderPage &page)
{
    return child<QTableWidget>(page, "orderTable");
}

// The cards now shown (the old container waits for deletion).
QWidget *cardContainer(OrderPage &page)
{
    return child<QScrollArea>(page, "cardArea")->widget();
}

QList<QWidget *> cards(OrderPage &page)
{
    return cardContainer(page)->findChildren<QWidget *>(QStringLiteral("orderCard"));
}

QPushButton *cardButton(OrderPage &page, const char *name, int card)
{
    return cardContainer(page)->findChildren<QPushButton *>(QLatin1String(name)).at(card);
}

int cardColumnsShown(OrderPage &page)
{
    QSet<int> columns;
    for (QWidget *card : cards(page))
        columns.insert(card->x());
    return int(columns.size());
}

void goToPage(OrderPage &page, const QString &text)
{
    child<QLineEdit>(page, "pageNumberEdit")->setText(text);
    QTest::mouseClick(child<QPushButton>(page, "goButton"), Qt::LeftButton);
}

// The rules below read easiest in the order the orders were stored.
void oldestFirst(OrderPage &page)
{
    child<QComboBox>(page, "sequenceBox")->setCurrentIndex(1);
}

QList<int> storedIds()
{
    QList<int> ids;
    for (const Customer &c : loadCustomers())
        ids.append(c.id);
    return ids;
}

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

class TestOrderPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useShippedLanguage("zh_CN")); }

    void init() { removeStoreFiles(); }

    // Newest first until the user turns it, over reloads too (the main window
    // reloads on every visit); rows are numbered across pages.
    void pagingStepsAndGo()
    {
        QList<Customer> orders = makeOrders(25);
        orders[10].orderNumber = QStringLiteral("SHOP-11");
        orders[11].age = 42;
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        auto *previous = child<QPushButton>(page, "previousPageButton");
        auto *next = child<QPushButton>(page, "nextPageButton");
        QVERIFY(page.newestFirst());
        QCOMPARE(page.filteredOrders().first().id, 25);
        QCOMPARE(cards(page).size(), 10);
        QVERIFY(!previous->isEnabled() && next->isEnabled());
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QVERIFY(previous->isEnabled() && !next->isEnabled());
        page.onNextClicked(); // already on the last page
        QCOMPARE(page.currentPage(), 3);
        QTest::mouseClick(previous, Qt::LeftButton);
        QCOMPARE(page.currentPage(), 2);

        oldestFirst(page);
        page.reloadOrders();
        QVERIFY(!page.newestFirst());
        page.onListViewClicked();
        QCOMPARE(child<QLabel>(page, "totalPagesLabel")->text(), QStringLiteral("共 3 页"));
        goToPage(page, QStringLiteral("2"));
        QTableWidget *rows = table(page);
        QCOMPARE(rows->item(0, 1)->text(), QStringLiteral("11"));
        QCOMPARE(rows->item(0, 2)->text(), QStringLiteral("SHOP-11"));
        QCOMPARE(rows->item(1, 2)->text(), today("yyyyMMdd") + "012");
        QCOMPARE(rows->item(0, 5)->text(), QStringLiteral("-"));
        QCOMPARE(rows->item(1, 5)->text(), QStringLiteral("42"));
        goToPage(page, QStringLiteral("7"));
        QCOMPARE(child<QLabel>(page, "currentPageLabel")->text(), QStringLiteral("3"));
        QCOMPARE(rows->rowCount(), 5);
        QVERIFY(child<QLineEdit>(page, "pageNumberEdit")->text().isEmpty());
        child<QComboBox>(page, "pageSizeBox")->setCurrentIndex(2); // 50
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(rows->rowCount(), 25);
    }

    void cardsAndRowsShowPlainTextAndActOnTheirOrder()
    {
        QList<Customer> orders = makeOrders(6);
        orders[0].name = QStringLiteral("<b>x</b>");
        orders[0].gender = QStringLiteral("女");
        orders[1].name = QString(20000, QLatin1Char('W'));
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        oldestFirst(page);
        page.setMinimumWidth(600); // as in the main window, which sets its own minimum
        page.resize(1400, 900);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_COMPARE(cardColumnsShown(page), 3);
        QVERIFY(cards(page).at(1)->width() < 1400 / 3);
        auto *name = child<ElidedLabel>(*cardContainer(page), "cardNameText");
        QCOMPARE(name->text(), QStringLiteral("<b>x</b> · 女"));
        QCOMPARE(name->textFormat(), Qt::PlainText);
        QCOMPARE(child<ElidedLabel>(*cardContainer(page), "cardPhoneText")->text(),
                 QStringLiteral("-"));
        page.resize(1000, 900);
        const int expected =
            OrderLayout::cardColumns(child<QScrollArea>(page, "cardArea")->viewport()->width());
        QVERIFY(expected < 3);
        QTRY_COMPARE(cardColumnsShown(page), expected);

        QSignalSpy edit(&page, &OrderPage::editRequested);
        QSignalSpy detail(&page, &OrderPage::detailRequested);
        QSignalSpy config(&page, &OrderPage::configRequested);
        QTest::mouseClick(cardButton(page, "cardEditButton", 1), Qt::LeftButton);
        QTest::mouseClick(cardButton(page, "cardDetailButton", 0), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(page, "newOrderButton"), Qt::LeftButton);
        page.onListViewClicked();
        QCOMPARE(table(page)->item(0, 3)->text(), QStringLiteral("<b>x</b>"));
        QCOMPARE(table(page)->item(0, 6)->text(), QStringLiteral("-"));
        QTest::mouseClick(child<QPushButton>(*table(page)->cellWidget(1, 8), "rowDetailButton"),
                          Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(edit), QList<QVariantList>{{2}});
        QCOMPARE(QList<QVariantList>(detail), (QList<QVariantList>{{1}, {2}}));
        QCOMPARE(config.size(), 1);
    }

    void cardDeleteRemovesItsOwnTwinAndKeepsThePage()
    {
        QList<Customer> orders = makeOrders(11);
        orders[10].id = 5; // a hand-edited file
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        oldestFirst(page);
        goToPage(page, QStringLiteral("2"));
        const auto cancel = TestSupport::answerNextPrompt(Answer::Cancel);
        cardButton(page, "cardDeleteButton", 0)->click();
        QTRY_COMPARE(cancel->text, QStringLiteral("确定删除该订单？"));
        QCOMPARE(storedIds().size(), 11);

        const auto ok = TestSupport::answerNextPrompt(Answer::Ok);
        cardButton(page, "cardDeleteButton", 0)->click();
        QTRY_VERIFY(ok->seen);
        QTRY_COMPARE(storedIds(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QCOMPARE(loadCustomers().at(4).name, QStringLiteral("Customer 5"));
        // The emptied last page gives way to the new last page.
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(page.totalPages(), 1);
    }

    void batchDeleteRemovesExactlyTheChosen()
    {
        QVERIFY(saveCustomers(makeOrders(15)));
        OrderPage page;
        oldestFirst(page);
        QVERIFY(appendCustomer(makeOrder(16))); // saved elsewhere since the list loaded
        const QByteArray before = TestSupport::readFile(customersFilePath());
        const auto message = TestSupport::answerNextPrompt(Answer::Ok);
        QTest::mouseClick(child<QPushButton>(page, "deleteAllButton"), Qt::LeftButton);
        QCOMPARE(message->text, QStringLiteral("请至少勾选一条记录！"));
        QCOMPARE(message->buttons.size(), 1);

        goToPage(page, QStringLiteral("2"));
        const auto checks = cardContainer(page)->findChildren<RoundedCheckBox *>();
        QTest::mouseClick(checks.at(0), Qt::LeftButton);
        QTest::mouseClick(checks.at(2), Qt::LeftButton);
        QCOMPARE(page.selectedOrderIds(), (QList<int>{11, 13}));
        const auto cancel = TestSupport::answerNextPrompt(Answer::Cancel);
        page.onBatchDeleteClicked();
        QCOMPARE(cancel->text, QStringLiteral("确定删除选中订单？"));
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);

        const auto ok = TestSupport::answerNextPrompt(Answer::Ok);
        page.onBatchDeleteClicked();
        QVERIFY(ok->seen);
        QCOMPARE(storedIds(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 16}));
        QCOMPARE(page.currentPage(), 1);
    }

    void selectAllAndTheHeaderBoxAreSeparate()
    {
        QVERIFY(saveCustomers(makeOrders(3)));
        OrderPage page;
        oldestFirst(page);
        page.resize(1200, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *selectAll = child<QPushButton>(page, "selectAllButton");
        QTest::mouseClick(selectAll, Qt::LeftButton);
        QCOMPARE(page.selectedOrderIds(), (QList<int>{1, 2, 3}));
        QTest::mouseClick(child<QPushButton>(page, "listViewButton"), Qt::LeftButton);
        QVERIFY(page.selectedOrderIds().isEmpty());
        auto *header = page.findChild<OrderTableHeader *>();
        QVERIFY(!header->isChecked());
        QSignalSpy toggled(header, &OrderTableHeader::checkAllToggled);
        const auto clickSection = [header](int section) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionPosition(section) + 10, header->height() / 2});
        };
        clickSection(3); // an ordinary header click
        QVERIFY(page.selectedOrderIds().isEmpty());
        clickSection(0);
        QCOMPARE(toggled.size(), 1);
        QCOMPARE(page.selectedOrderIds(), (QList<int>{1, 2, 3}));
        QVERIFY(page.selectAllState()); // untouched by the header box
        QTest::mouseClick(selectAll, Qt::LeftButton);
        QVERIFY(!header->isChecked());
        QVERIFY(page.selectedOrderIds().isEmpty());
    }

    void filtersApplyOnQueryAndResetRestoresThisYear()
    {
        QList<Customer> orders = makeOrders(12);
        orders << makeOrder(13, "2020-03-03T23:59:59") << makeOrder(14, "2020-03-04T00:00:00")
               << makeOrder(15, "2020-03-04T23:59:59");
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        oldestFirst(page);
        QCOMPARE(page.filteredOrders().size(), 12); // this year up to today
        auto *name = child<QLineEdit>(page, "nameEdit");
        auto *start = child<QLineEdit>(page, "startDateEdit");
        auto *end = child<QLineEdit>(page, "endDateEdit");
        name->setText(QStringLiteral("  customer 1"));
        start->setText(QStringLiteral("2020.03.04"));
        end->setText(QStringLiteral("2020.03.04"));
        QCOMPARE(page.filteredOrders().size(), 12); // typing alone filters nothing
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(page.filteredOrders().size(), 2); // 14 and 15: whole days
        name->clear();
        page.onGridViewClicked(); // a refresh keeps the captured filter
        QCOMPARE(page.filteredOrders().at(0).id, 14);
        QTest::mouseClick(child<QPushButton>(page, "resetButton"), Qt::LeftButton);
        QCOMPARE(start->text(), today("yyyy") + ".01.01");
        QCOMPARE(end->text(), today("yyyy.MM.dd"));
        QCOMPARE(page.filteredOrders().size(), 12);
    }

    // The empty list says why: no orders, none matching, or a server that
    // cannot be reached, which must not read as "no orders"; the page asks
    // again by itself until the server answers.
    void emptyListSaysWhy()
    {
        auto backend = std::make_shared<AwayBackend>();
        RecordsBackend::setCurrent(backend);
        OrderPage page;
        oldestFirst(page);
        page.show();
        auto emptyText = [&page] {
            QLabel *label = page.viewMode() == OrderPage::TableView
                                ? child<QLabel>(*table(page), "emptyListLabel")
                                : child<QLabel>(*cardContainer(page), "emptyListLabel");
            return label->isHidden() ? QString() : label->text();
        };
        QCOMPARE(emptyText(), QStringLiteral("无法连接诊所服务器，正在重试…"));
        backend->away = false;
        QTRY_COMPARE_WITH_TIMEOUT(emptyText(), QStringLiteral("暂无订单"), 6000);
        RecordsBackend::setCurrent(nullptr);
        QList<Customer> orders = makeOrders(2);
        orders[1].orderNumber = QStringLiteral("A-1001");
        QVERIFY(saveCustomers(orders));
        page.reloadOrders();
        QCOMPARE(cardContainer(page)->findChildren<QLabel *>("emptyListLabel").size(), 0);
        QCOMPARE(cardContainer(page)->findChildren<ElidedLabel *>("cardNumberLabel").at(1)->text(),
                 QStringLiteral("订单编号：A-1001"));
        child<QLineEdit>(page, "orderNumberEdit")->setText(QStringLiteral("B-7"));
        page.onQueryClicked();
        QCOMPARE(emptyText(), QStringLiteral("没有匹配的订单"));
        page.onListViewClicked();
        QCOMPARE(table(page)->rowCount(), 0);
        QCOMPARE(emptyText(), QStringLiteral("没有匹配的订单"));
        page.onResetClicked();
        QCOMPARE(emptyText(), QString());
    }

    void badStoreIsShownAndNotWritten()
    {
        const QByteArray bad =
            "{\"customers\": [42, {\"id\": \"7\", \"name\": 5, \"age\": \"old\", "
            "\"gender\": 1, \"createdAt\": 20250304}, {\"id\": -4, \"createdAt\": \"2025-13-45Tx\","
            " \"photos\": \"nope\"}, {}]}";
        TestSupport::writeFile(customersFilePath(), bad);
        OrderPage page;
        oldestFirst(page);
        QCOMPARE(cards(page).size(), 4);
        page.onListViewClicked();
        QCOMPARE(table(page)->item(1, 3)->text(), QStringLiteral("-"));
        QCOMPARE(table(page)->item(2, 2)->text(), QStringLiteral("20251345001"));
        child<QLineEdit>(page, "orderNumberEdit")->setText(QStringLiteral("n/a"));
        page.onQueryClicked();
        page.reloadOrders();
        page.onGridViewClicked();
        QCOMPARE(TestSupport::readFile(customersFilePath()), bad);
    }

    void tableIsReadableAtTheMinimumWindowWidth_data()
    {
        QTest::addColumn<QString>("code");
        for (const char *code : {"zh_CN", "en_US", "de_DE"})
            QTest::newRow(code) << code;
    }

    // The page's share of a 1100 x 720 window, after a change of language too.
    void tableIsReadableAtTheMinimumWindowWidth()
    {
        QFETCH(QString, code);
        QList<Customer> orders = makeOrders(2);
        orders[0].name = QString(50, QChar(u'宋')) + "<i>";
        orders[0].orderNumber = QString(60, QLatin1Char('9'));
        orders[0].phone = QStringLiteral("+49 170 1234567 8901");
        orders[0].gender = QStringLiteral("女");
        orders[0].age = 104;
        orders[1].name = QString(30, QLatin1Char('W'));
        orders[1].phone = QStringLiteral("13800000000001");
        QVERIFY(saveCustomers(orders));
        OrderPage page; // built in Chinese, then turned to the language under test
        QVERIFY(useShippedLanguage(code));
        oldestFirst(page);
        page.resize(932, 688);
        page.onListViewClicked();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *newOrder = child<QPushButton>(page, "newOrderButton");
        QVERIFY(newOrder->width() >= newOrder->sizeHint().width());
        QTableWidget *rows = table(page);
        QHeaderView *header = rows->horizontalHeader();
        // Fixed-format columns and the actions get what their texts need...
        for (int column : {1, 4, 5, 7, 8}) {
            QVERIFY2(header->sectionSize(column) >=
                         static_cast<QAbstractItemView *>(rows)->sizeHintForColumn(column),
                     qPrintable(QString::number(column)));
            QVERIFY(header->sectionSize(column) >= header->sectionSizeHint(column));
        }
        for (QPushButton *button : rows->cellWidget(0, 8)->findChildren<QPushButton *>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        // ...and the user's data, when shortened, is whole in the tooltip.
        QVERIFY(rows->item(0, 3)->toolTip().contains(QString(50, QChar(u'宋')) + "&lt;i&gt;"));
        QVERIFY(rows->item(0, 2)->toolTip().contains(orders[0].orderNumber));
        QVERIFY(header->sectionSize(3) >= 60);
        // The cards keep the creation time whole as well.
        page.onGridViewClicked();
        QTRY_VERIFY(!cards(page).isEmpty() && cards(page).first()->isVisible());
        for (auto *created : cardContainer(page)->findChildren<ElidedLabel *>("cardCreatedLabel"))
            QVERIFY2(!created->shownText().endsWith(QChar(0x2026)),
                     qPrintable(created->shownText()));
        // A phone number beside a long name stays whole; the name gives way.
        const auto phones = cardContainer(page)->findChildren<ElidedLabel *>("cardPhoneText");
        QCOMPARE(phones.value(1)->shownText(), orders[1].phone);
        QVERIFY(useShippedLanguage("zh_CN"));
    }

    void valuesArePlainDashedAndWhole()
    {
        QVERIFY(useShippedLanguage("en_US"));
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
        // the rest of the page scrolls.
        page.resize(932, 688);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.minimumSizeHint().width() <= 932);
        auto *item = child<QWidget>(page, "recordItem");
        QTRY_VERIFY(child<QScrollArea>(page, "recordScrollArea")->height() >= item->height());
        QVERIFY(child<QScrollArea>(page, "detailScrollArea")->verticalScrollBar()->maximum() > 0);
        QSignalSpy back(&page, &OrderDetailPage::backRequested);
        QTest::mouseClick(child<QPushButton>(page, "detailBackButton"), Qt::LeftButton);
        QCOMPARE(back.size(), 1);
    }

    void brokenPhotosShowNoPictureAndOpenNothing()
    {
        QVERIFY(useShippedLanguage("en_US"));
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
        QVERIFY(useShippedLanguage("en_US"));
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
        QVERIFY(useShippedLanguage("en_US"));
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
        QVERIFY(saveCustomers({older, newer, today}));

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

LUMAURAL_TEST_MAIN(TestOrderPage)
#include "tst_orderpage.moc"

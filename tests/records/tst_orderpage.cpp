// The order list driven through its controls: paging, GO, views, selection,
// deletion and what it shows for odd data.
#include "records/orderlayout.h"
#include "records/orderpage.h"
#include "records/recordstore.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/ordertableheader.h"
#include "ui/common/roundedcheckbox.h"

#include "i18n/langmanager.h"

#include "common/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QTableWidget>

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
    c.phone = QStringLiteral("13800%1").arg(id, 6, 10, QLatin1Char('0'));
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

template <typename T> T *child(QWidget &page, const char *name)
{
    T *widget = page.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// The widgets of the cards now shown (the old container waits for deletion).
QWidget *cardContainer(OrderPage &page)
{
    return child<QScrollArea>(page, "cardArea")->widget();
}

QList<QWidget *> cards(OrderPage &page)
{
    return cardContainer(page)->findChildren<QWidget *>(QStringLiteral("orderCard"));
}

QList<QPushButton *> cardButtons(OrderPage &page, const char *name)
{
    return cardContainer(page)->findChildren<QPushButton *>(QLatin1String(name));
}

QList<RoundedCheckBox *> cardChecks(OrderPage &page)
{
    return cardContainer(page)->findChildren<RoundedCheckBox *>();
}

QList<RoundedCheckBox *> rowChecks(OrderPage &page)
{
    QList<RoundedCheckBox *> checks;
    auto *table = child<QTableWidget>(page, "orderTable");
    for (int row = 0; row < table->rowCount(); ++row)
        checks.append(table->cellWidget(row, 0)->findChild<RoundedCheckBox *>());
    return checks;
}

void goToPage(OrderPage &page, const QString &text)
{
    auto *field = child<QLineEdit>(page, "pageNumberEdit");
    field->setText(text);
    QTest::mouseClick(child<QPushButton>(page, "goButton"), Qt::LeftButton);
}

QList<int> storedIds()
{
    QList<int> ids;
    const QList<Customer> stored = loadCustomers();
    for (const Customer &c : stored)
        ids.append(c.id);
    return ids;
}

} // namespace

class TestOrderPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LangManager::instance()->loadLanguagePacks(QStringLiteral(LUMAURAL_SOURCE_DIR) +
                                                           "/i18n/languages"));
        LangManager::instance()->setLanguage(QStringLiteral("zh_CN"));
    }

    void init() { QFile::remove(customersFilePath()); }

    void emptyStoreShowsNothingOnPageOne()
    {
        OrderPage page;
        QVERIFY(cards(page).isEmpty());
        QCOMPARE(page.totalPages(), 1);
        QCOMPARE(child<QLabel>(page, "currentPageLabel")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(page, "totalPagesLabel")->text(), QStringLiteral("共 1 页"));
        page.onListViewClicked();
        QCOMPARE(child<QTableWidget>(page, "orderTable")->rowCount(), 0);
        QVERIFY(!QFile::exists(customersFilePath()));
    }

    void pagingAndGo()
    {
        QVERIFY(saveCustomers(makeOrders(25)));
        OrderPage page;
        QCOMPARE(page.totalPages(), 3);
        QCOMPARE(cards(page).size(), 10);
        goToPage(page, QStringLiteral("7"));
        QCOMPARE(page.currentPage(), 3);
        QCOMPARE(cards(page).size(), 5);
        QVERIFY(child<QLineEdit>(page, "pageNumberEdit")->text().isEmpty());
        for (const QString &ignored : {QStringLiteral("0"), QStringLiteral("two")}) {
            goToPage(page, ignored);
            QCOMPARE(page.currentPage(), 3);
            QCOMPARE(child<QLineEdit>(page, "pageNumberEdit")->text(), ignored);
        }
        child<QComboBox>(page, "pageSizeBox")->setCurrentIndex(2); // 50
        QCOMPARE(page.pageSize(), 50);
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(page.totalPages(), 1);
        goToPage(page, QStringLiteral("2"));
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(cards(page).size(), 25);
    }

    void tableShowsRunningNumbersAndStoredOrderNumber()
    {
        QList<Customer> orders = makeOrders(12);
        orders[10].orderNumber = QStringLiteral("SHOP-11");
        orders[11].age = 42;
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        page.onListViewClicked();
        goToPage(page, QStringLiteral("2"));
        auto *table = child<QTableWidget>(page, "orderTable");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("11"));
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("SHOP-11"));
        QCOMPARE(table->item(1, 2)->text(), today("yyyyMMdd") + "012");
        QCOMPARE(table->item(0, 5)->text(), QStringLiteral("-"));
        QCOMPARE(table->item(1, 5)->text(), QStringLiteral("42"));
        QCOMPARE(table->item(1, 7)->text(), today("yyyy.MM.dd") + " 10:11:12");
        // The card keeps the derived number; the filter only knows that one.
        page.onGridViewClicked();
        child<QLineEdit>(page, "orderNumberEdit")->setText(QStringLiteral("shop"));
        page.onQueryClicked();
        QCOMPARE(page.filteredOrders().size(), 0);
    }

    void userTextIsShownAsPlainText()
    {
        Customer c = makeOrder(1);
        c.name = QStringLiteral("<b>x</b>");
        c.phone.clear();
        c.gender = QStringLiteral("女");
        QVERIFY(saveCustomers({c}));
        OrderPage page;
        auto *name = cardContainer(page)->findChild<ElidedLabel *>(QStringLiteral("cardNameText"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("<b>x</b> · 女"));
        QCOMPARE(name->textFormat(), Qt::PlainText);
        auto *phone =
            cardContainer(page)->findChild<ElidedLabel *>(QStringLiteral("cardPhoneText"));
        QCOMPARE(phone->text(), QStringLiteral("-"));
        page.onListViewClicked();
        auto *table = child<QTableWidget>(page, "orderTable");
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("<b>x</b>"));
        QCOMPARE(table->item(0, 6)->text(), QStringLiteral("-"));
    }

    void veryLongNameDoesNotWidenTheCard()
    {
        Customer c = makeOrder(1);
        c.name = QString(20000, QLatin1Char('W'));
        QVERIFY(saveCustomers({c}));
        OrderPage page;
        page.resize(1400, 900);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_COMPARE(cards(page).size(), 1);
        QVERIFY(cards(page).first()->width() < 1400);
    }

    void cardsFillThreeColumnsWhenWide()
    {
        QVERIFY(saveCustomers(makeOrders(6)));
        OrderPage page;
        page.setMinimumWidth(600); // as in the main window, which sets its own minimum
        page.resize(1400, 900);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QSet<int> columns;
        QTRY_VERIFY(cards(page).size() == 6 && cards(page).first()->isVisible());
        QTRY_VERIFY((
            columns.clear(),
            [&] {
                for (QWidget *card : cards(page))
                    columns.insert(card->x());
            }(),
            columns.size() == 3));
        page.resize(1000, 900);
        const int expected =
            OrderLayout::cardColumns(child<QScrollArea>(page, "cardArea")->viewport()->width());
        QVERIFY(expected < 3);
        QTRY_VERIFY((
            columns.clear(),
            [&] {
                for (QWidget *card : cards(page))
                    columns.insert(card->x());
            }(),
            columns.size() == expected));
    }

    void cardDeleteAsksAndKeepsThePage()
    {
        QVERIFY(saveCustomers(makeOrders(11)));
        OrderPage page;
        goToPage(page, QStringLiteral("2"));
        QCOMPARE(cards(page).size(), 1);

        auto cancel = TestSupport::answerNextPrompt(TestSupport::Answer::Cancel);
        cardButtons(page, "cardDeleteButton").first()->click();
        QTRY_VERIFY(cancel->seen);
        QCOMPARE(cancel->text, QStringLiteral("确定删除该订单？"));
        QCOMPARE(storedIds().size(), 11);

        auto ok = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        cardButtons(page, "cardDeleteButton").first()->click();
        QTRY_VERIFY(ok->seen);
        QTRY_COMPARE(storedIds().size(), 10);
        QVERIFY(!storedIds().contains(11));
        // The emptied last page gives way to the new last page.
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(page.totalPages(), 1);
    }

    void batchDeleteNeedsASelection()
    {
        QVERIFY(saveCustomers(makeOrders(15)));
        OrderPage page;
        const QByteArray before = TestSupport::readFile(customersFilePath());
        auto message = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QTest::mouseClick(child<QPushButton>(page, "deleteAllButton"), Qt::LeftButton);
        QVERIFY(message->seen);
        QCOMPARE(message->text, QStringLiteral("请至少勾选一条记录！"));
        QCOMPARE(message->buttons.size(), 1);

        goToPage(page, QStringLiteral("2"));
        const QList<RoundedCheckBox *> checks = cardChecks(page);
        QTest::mouseClick(checks.at(0), Qt::LeftButton);
        QTest::mouseClick(checks.at(2), Qt::LeftButton);
        QCOMPARE(page.selectedOrderIds(), (QList<int>{11, 13}));

        auto cancel = TestSupport::answerNextPrompt(TestSupport::Answer::Cancel);
        page.onBatchDeleteClicked();
        QCOMPARE(cancel->text, QStringLiteral("确定删除选中订单？"));
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);

        auto ok = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        page.onBatchDeleteClicked();
        QVERIFY(ok->seen);
        QCOMPARE(storedIds().size(), 13);
        QVERIFY(!storedIds().contains(11) && !storedIds().contains(13));
        QCOMPARE(page.currentPage(), 1);
    }

    void deletingACollidingIdRemovesOnlyThatOrder()
    {
        QList<Customer> orders{makeOrder(5), makeOrder(5), makeOrder(-3)};
        orders[1].name = QStringLiteral("Twin");
        QVERIFY(saveCustomers(orders));
        OrderPage page;
        QCOMPARE(cards(page).size(), 3);
        auto ok = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        cardButtons(page, "cardDeleteButton").at(1)->click();
        QTRY_VERIFY(ok->seen);
        QTRY_COMPARE(loadCustomers().size(), 2);
        const QList<Customer> left = loadCustomers();
        QCOMPARE(left.at(0).name, QStringLiteral("Customer 5"));
        QCOMPARE(left.at(1).id, -3);
    }

    void deletingKeepsOrdersSavedSinceTheListLoaded()
    {
        QVERIFY(saveCustomers(makeOrders(3)));
        OrderPage page;
        QVERIFY(appendCustomer(makeOrder(4)));
        QTest::mouseClick(cardChecks(page).at(0), Qt::LeftButton);
        auto ok = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        page.onBatchDeleteClicked();
        QVERIFY(ok->seen);
        QCOMPARE(storedIds(), (QList<int>{2, 3, 4}));
        QCOMPARE(page.allOrders().size(), 3);
    }

    void selectAllThenSwitchToTable()
    {
        QVERIFY(saveCustomers(makeOrders(4)));
        OrderPage page;
        QTest::mouseClick(child<QPushButton>(page, "selectAllButton"), Qt::LeftButton);
        QCOMPARE(page.selectedOrderIds(), (QList<int>{1, 2, 3, 4}));
        QTest::mouseClick(child<QPushButton>(page, "listViewButton"), Qt::LeftButton);
        QCOMPARE(page.viewMode(), int(OrderPage::TableView));
        QVERIFY(page.selectedOrderIds().isEmpty());
        QVERIFY(!page.findChild<OrderTableHeader *>()->isChecked());
        QVERIFY(page.selectAllState());
        QTest::mouseClick(child<QPushButton>(page, "selectAllButton"), Qt::LeftButton);
        QVERIFY(!page.selectAllState());
        QVERIFY(page.selectedOrderIds().isEmpty());
    }

    void headerBoxChecksRowsWithoutTouchingSelectAll()
    {
        QVERIFY(saveCustomers(makeOrders(3)));
        OrderPage page;
        page.resize(1200, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.onListViewClicked();
        auto *header = page.findChild<OrderTableHeader *>();
        QSignalSpy toggled(header, &OrderTableHeader::checkAllToggled);
        const QPoint sectionZero(header->sectionPosition(0) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sectionZero);
        QCOMPARE(toggled.size(), 1);
        QVERIFY(header->isChecked());
        for (RoundedCheckBox *check : rowChecks(page))
            QVERIFY(check->isChecked());
        QCOMPARE(page.selectedOrderIds(), (QList<int>{1, 2, 3}));
        QVERIFY(!page.selectAllState());
        // Another section is an ordinary header click.
        const QPoint sectionThree(header->sectionPosition(3) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sectionThree);
        QCOMPARE(toggled.size(), 1);
        header->setChecked(false);
        QCOMPARE(toggled.size(), 1);
    }

    void dateFieldsBoundWholeDays()
    {
        QVERIFY(saveCustomers(
            {makeOrder(1, "2025-03-03T23:59:59"), makeOrder(2, "2025-03-04T00:00:00"),
             makeOrder(3, "2025-03-04T23:59:59"), makeOrder(4, "2025-03-05T00:00:00")}));
        OrderPage page;
        child<QLineEdit>(page, "startDateEdit")->setText(QStringLiteral("2025.03.04"));
        child<QLineEdit>(page, "endDateEdit")->setText(QStringLiteral("2025.03.04"));
        QTest::mouseClick(child<QPushButton>(page, "queryButton"), Qt::LeftButton);
        QCOMPARE(page.filteredOrders().size(), 2);
        QCOMPARE(page.filteredOrders().at(0).id, 2);
        QTest::mouseClick(child<QPushButton>(page, "resetButton"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(page, "startDateEdit")->text(),
                 QStringLiteral("%1.01.01").arg(QDate::currentDate().year()));
        QCOMPARE(child<QLineEdit>(page, "endDateEdit")->text(),
                 QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")));
    }

    void textFiltersAreCapturedOnQuery()
    {
        QVERIFY(saveCustomers(makeOrders(12)));
        OrderPage page;
        child<QLineEdit>(page, "startDateEdit")->clear();
        child<QLineEdit>(page, "nameEdit")->setText(QStringLiteral("  customer 1"));
        QCOMPARE(page.filteredOrders().size(), 12); // typing alone filters nothing
        QTest::keyClick(child<QLineEdit>(page, "nameEdit"), Qt::Key_Return);
        QCOMPARE(page.filteredOrders().size(), 4); // 1, 10, 11, 12
        child<QLineEdit>(page, "nameEdit")->clear();
        page.onGridViewClicked(); // a refresh keeps the captured filter
        QCOMPARE(page.filteredOrders().size(), 4);
    }

    void actionsEmitIds()
    {
        QVERIFY(saveCustomers({makeOrder(8), makeOrder(9)}));
        OrderPage page;
        QSignalSpy edit(&page, &OrderPage::editRequested);
        QSignalSpy detail(&page, &OrderPage::detailRequested);
        QSignalSpy config(&page, &OrderPage::configRequested);
        QTest::mouseClick(cardButtons(page, "cardEditButton").at(1), Qt::LeftButton);
        QTest::mouseClick(cardButtons(page, "cardDetailButton").at(0), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(page, "newOrderButton"), Qt::LeftButton);
        page.onListViewClicked();
        auto *table = child<QTableWidget>(page, "orderTable");
        QTest::mouseClick(
            table->cellWidget(1, 8)->findChild<QPushButton *>(QStringLiteral("rowDetailButton")),
            Qt::LeftButton);
        QCOMPARE(edit.size(), 1);
        QCOMPARE(edit.at(0).at(0).toInt(), 9);
        QCOMPARE(detail.size(), 2);
        QCOMPARE(detail.at(0).at(0).toInt(), 8);
        QCOMPARE(detail.at(1).at(0).toInt(), 9);
        QCOMPARE(config.size(), 1);
    }

    void badStoreShowsDefaultsAndWritesNothing()
    {
        const QByteArray bad =
            "{\"customers\": [42, {\"id\": \"7\", \"name\": 5, \"age\": \"old\", "
            "\"gender\": 1, \"createdAt\": 20250304}, {\"id\": -4, \"createdAt\": \"2025-13-45Tx\","
            " \"photos\": \"nope\"}, {}]}";
        TestSupport::writeFile(customersFilePath(), bad);
        OrderPage page;
        QCOMPARE(cards(page).size(), 4);
        page.onListViewClicked();
        auto *table = child<QTableWidget>(page, "orderTable");
        QCOMPARE(table->item(1, 3)->text(), QStringLiteral("-"));
        QCOMPARE(table->item(1, 4)->text(), QStringLiteral("保密"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("N/A"));
        QCOMPARE(table->item(2, 2)->text(), QStringLiteral("20251345001"));
        child<QLineEdit>(page, "orderNumberEdit")->setText(QStringLiteral("n/a"));
        page.onQueryClicked();
        page.reloadOrders();
        page.onGridViewClicked();
        QCOMPARE(TestSupport::readFile(customersFilePath()), bad);
    }

    void tenThousandOrders()
    {
        QList<Customer> orders;
        for (int id = 1; id <= 10000; ++id)
            orders.append(makeOrder(id, QDate(2024, 1, 1).addDays(id / 40).toString(Qt::ISODate) +
                                            QStringLiteral("T09:00:00")));
        QVERIFY(saveCustomers(orders));
        const QByteArray before = TestSupport::readFile(customersFilePath());
        OrderPage page;
        child<QLineEdit>(page, "startDateEdit")->clear();
        page.onQueryClicked();
        QCOMPARE(page.totalPages(), 1000);
        child<QLineEdit>(page, "orderNumberEdit")->setText(QStringLiteral("20240102"));
        page.onQueryClicked();
        QCOMPARE(page.filteredOrders().size(), 40);
        QCOMPARE(page.filteredOrders().first().id, 40);
        QCOMPARE(cards(page).size(), 10);
        child<QComboBox>(page, "pageSizeBox")->setCurrentIndex(2);
        page.onListViewClicked();
        QCOMPARE(child<QTableWidget>(page, "orderTable")->rowCount(), 40);
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);
    }

    void retranslateSwitchesTextsAndGermanSizes()
    {
        QVERIFY(saveCustomers(makeOrders(2)));
        OrderPage page;
        LangManager::instance()->setLanguage(QStringLiteral("de_DE"));
        QCOMPARE(child<QPushButton>(page, "newOrderButton")->text(),
                 QStringLiteral("Neuer Auftrag"));
        auto *newOrder = child<QPushButton>(page, "newOrderButton");
        QVERIFY(newOrder->width() >= 156);
        QVERIFY(newOrder->width() >= newOrder->sizeHint().width()); // never cut off
        QCOMPARE(cardButtons(page, "cardEditButton").first()->text(), QStringLiteral("Bearbeiten"));
        QPushButton *edit = cardButtons(page, "cardEditButton").first();
        edit->ensurePolished();
        QCOMPARE(edit->font().pixelSize(), 11);
        LangManager::instance()->setLanguage(QStringLiteral("en_US"));
        QVERIFY(newOrder->width() >= 120 && newOrder->width() < 156);
        page.onListViewClicked();
        QCOMPARE(child<QTableWidget>(page, "orderTable")->horizontalHeaderItem(3)->text(),
                 QStringLiteral("Name"));
        LangManager::instance()->setLanguage(QStringLiteral("zh_CN"));
    }
};

LUMAURAL_TEST_MAIN(TestOrderPage)
#include "tst_orderpage.moc"

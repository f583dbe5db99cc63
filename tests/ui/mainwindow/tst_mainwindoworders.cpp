// The order list and detail pages as the main window shows and wires them.
#include "ui/mainwindow/mainwindow.h"

#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"

#include "common/testsupport.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

namespace {

Customer makeOrder(int id, const QString &name)
{
    Customer c;
    c.id = id;
    c.name = name;
    c.createdAt = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("T08:00:00");
    return c;
}

QString orderNavText(MainWindow &window)
{
    return window.findChild<QLabel *>(QStringLiteral("orderText"))->styleSheet();
}

} // namespace

class TestMainWindowOrders : public QObject
{
    Q_OBJECT

private slots:
    // The order list drives the order form, and a saved order lands on the detail page.
    void orderListAndOrderFormMeet()
    {
        QVERIFY(saveCustomers({makeOrder(8, "Cleo")}));
        MainWindow window;
        auto *orders = qobject_cast<OrderPage *>(window.pageStack()->widget(3));
        auto *form = window.saveReportPage();
        auto *detail = qobject_cast<OrderDetailPage *>(window.pageStack()->widget(4));

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

    void orderEntryReloadsAndDetailRoundTrip()
    {
        QFile::remove(customersFilePath());
        MainWindow window;
        auto *orders = qobject_cast<OrderPage *>(window.pageStack()->widget(3));
        auto *detail = qobject_cast<OrderDetailPage *>(window.pageStack()->widget(4));
        QVERIFY(orders && detail);
        QVERIFY(orders->allOrders().isEmpty());

        QVERIFY(
            saveCustomers({makeOrder(4, "Ada"), makeOrder(4, "Second Ada"), makeOrder(6, "Bob")}));
        window.onOrderBtnClicked();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 3);
        QVERIFY(orderNavText(window).contains("#ec5c0b"));

        emit orders->detailRequested(4);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));

        // An id nobody has: the detail page keeps what it showed.
        window.onInspectBtnClicked();
        emit orders->detailRequested(99);
        QCOMPARE(window.pageStack()->currentIndex(), 4);
        QCOMPARE(detail->currentOrder().name, QStringLiteral("Ada"));
        QVERIFY(orderNavText(window).contains("#ec5c0b"));

        QVERIFY(appendCustomer(makeOrder(7, "Cy")));
        emit detail->backRequested();
        QCOMPARE(window.pageStack()->currentIndex(), 3);
        QCOMPARE(orders->allOrders().size(), 4);
    }
};

LUMAURAL_TEST_MAIN(TestMainWindowOrders)
#include "tst_mainwindoworders.moc"

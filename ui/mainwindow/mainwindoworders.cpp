// The order list (index 3) and the order detail page (index 4) and their wiring.
#include "ui/mainwindow/mainwindow.h"

#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/store/recordstore.h"
#include "ui/mainwindow/navigationrules.h"

#include <QStackedWidget>

OrderPage *MainWindow::addOrderPage()
{
    auto *page = new OrderPage;
    page->setObjectName(QStringLiteral("orderPage"));
    m_pageStack->addWidget(page);
    connect(page, &OrderPage::configRequested, this, &MainWindow::onOrderConfigRequested);
    connect(page, &OrderPage::editRequested, this, &MainWindow::onOrderEditRequested);
    connect(page, &OrderPage::detailRequested, this, &MainWindow::onOrderDetailRequested);
    return page;
}

OrderDetailPage *MainWindow::addOrderDetailPage()
{
    auto *page = new OrderDetailPage;
    page->setObjectName(QStringLiteral("orderDetailPage"));
    m_pageStack->addWidget(page);
    connect(page, &OrderDetailPage::backRequested, this, &MainWindow::onOrderDetailBackRequested);
    return page;
}

void MainWindow::onOrderDetailRequested(int customerId)
{
    const QList<Customer> customers = loadCustomers();
    for (const Customer &customer : customers) {
        if (customer.id == customerId) {
            m_orderDetailPage->showOrder(customer);
            break;
        }
    }
    showPage(PageIndex::OrderDetail, NavEntry::Orders);
}

void MainWindow::onOrderDetailBackRequested()
{
    m_orderPage->reloadOrders();
    showPage(PageIndex::OrderList, NavEntry::Orders);
}

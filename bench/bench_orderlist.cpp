// Order list refresh at 1,000 and 10,000 orders: filter by order number and
// build one page of cards, through the page itself; beside it the
// straightforward rule that scans the whole store for every derived number.
#include "records/orderpage.h"
#include "records/store/orderfilter.h"
#include "records/store/ordernumbering.h"
#include "records/store/recordstore.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollArea>

#include <algorithm>
#include <cstdio>

namespace {

QList<Customer> makeOrders(int count)
{
    QList<Customer> orders;
    const QDate first = QDate::currentDate().addDays(-count / 30);
    for (int id = 1; id <= count; ++id) {
        Customer c;
        c.id = id;
        c.name = QStringLiteral("Customer %1").arg(id);
        c.phone = QStringLiteral("1380000%1").arg(id, 5, 10, QLatin1Char('0'));
        c.createdAt = first.addDays(id / 30).toString(Qt::ISODate) + QStringLiteral("T09:00:00");
        orders.append(c);
    }
    return orders;
}

QString numberByScan(const Customer &c, const QList<Customer> &all)
{
    if (c.createdAt.size() < 10)
        return QStringLiteral("N/A");
    const QString day = c.createdAt.left(10);
    QList<int> ids;
    for (const Customer &other : all) {
        if (other.createdAt.startsWith(day))
            ids.append(other.id);
    }
    std::sort(ids.begin(), ids.end());
    return day.mid(0, 4) + day.mid(5, 2) + day.mid(8, 2) +
           QString::number(ids.indexOf(c.id) + 1).rightJustified(3, QLatin1Char('0'));
}

// The filtering step done the straightforward way (the card building on top
// of it is the same for both ways).
int straightforwardFilter(const QList<Customer> &all, const QString &number)
{
    int passing = 0;
    for (const Customer &c : all)
        passing += numberByScan(c, all).contains(number, Qt::CaseInsensitive) ? 1 : 0;
    return passing;
}

template <typename F> double bestOf(int runs, F &&f)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString filter = QStringLiteral("001"); // the first order of every day and more
    double ours[2] = {0, 0};
    double ourFilter[2] = {0, 0};
    double plain[2] = {0, 0};
    const int sizes[2] = {1000, 10000};
    for (int s = 0; s < 2; ++s) {
        const QList<Customer> orders = makeOrders(sizes[s]);
        saveCustomers(orders);
        OrderPage page;
        page.resize(1400, 900);
        page.show();
        QCoreApplication::processEvents();
        page.findChild<QLineEdit *>(QStringLiteral("startDateEdit"))->clear();
        page.findChild<QLineEdit *>(QStringLiteral("orderNumberEdit"))->setText(filter);
        ours[s] = bestOf(5, [&] {
            page.onQueryClicked(); // filter + one page of cards
        });
        QCoreApplication::processEvents();
        ourFilter[s] = bestOf(5, [&] {
            OrderFilter f;
            f.orderNumber = filter;
            f.apply(orders, OrderNumbering(orders));
        });
        plain[s] = bestOf(1, [&] { straightforwardFilter(orders, filter); });
        std::printf("%6d orders: refresh (filter + 10 cards) %8.2f ms | our filter alone %7.2f ms"
                    " | straightforward filter alone %10.2f ms (%d matches)\n",
                    sizes[s], ours[s], ourFilter[s], plain[s], int(page.filteredOrders().size()));
    }
    std::printf("ratio 10,000 / 1,000: ours %.2fx, straightforward %.1fx; "
                "straightforward / ours at 10,000: %.0fx\n",
                ours[1] / ours[0], plain[1] / plain[0], plain[1] / ours[1]);
    std::printf("goal: 10,000 within 10x of 1,000 (%s) and under 50 ms (%s)\n",
                ours[1] <= 10 * ours[0] ? "met" : "MISSED", ours[1] < 50 ? "met" : "MISSED");
    return 0;
}

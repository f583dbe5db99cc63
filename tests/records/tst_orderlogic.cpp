// Numbering, filtering, paging, layout and display rules of the order pages.
#include "records/orderdisplay.h"
#include "records/orderfilter.h"
#include "records/orderlayout.h"
#include "records/ordernumbering.h"
#include "records/orderpaging.h"

#include "common/testsupport.h"

#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace {

Customer order(int id, const QString &createdAt, const QString &name = QString(),
               const QString &phone = QString())
{
    Customer c;
    c.id = id;
    c.createdAt = createdAt;
    c.name = name;
    c.phone = phone;
    return c;
}

// The rule as users know it, written out directly: scan every order of the
// same day, sort the ids, and take the position of the order's own id.
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
    const int sequence = int(ids.indexOf(c.id)) + 1;
    return day.mid(0, 4) + day.mid(5, 2) + day.mid(8, 2) +
           QString::number(sequence).rightJustified(3, QLatin1Char('0'));
}

} // namespace

class TestOrderLogic : public QObject
{
    Q_OBJECT

private slots:
    void numberingMatchesTheDirectRule()
    {
        // Colliding, negative and zero ids, short and odd createdAt values,
        // days that share a prefix, over a thousand orders on one day: the
        // grouped lookup must agree everywhere.
        QRandomGenerator random(20250304);
        const QStringList stamps{"2025-03-04T10:11:12", "2025-03-04T00:00:00.123",
                                 "2025-03-05T09:00:00", "2025-03-04",
                                 "2025-03-0",           "",
                                 "abcdefghijklmnop",    "2025-03-04 still text",
                                 "2024-02-29T23:59:59"};
        QList<Customer> all;
        for (int i = 0; i < 600; ++i)
            all.append(
                order(random.bounded(-20, 80), stamps.at(random.bounded(int(stamps.size())))));
        for (int id = 1; id <= 1001; ++id)
            all.append(order(id, "2024-12-31T12:00:00"));
        const OrderNumbering numbering(all);
        for (const Customer &c : std::as_const(all))
            QCOMPARE(numbering.numberFor(c), numberByScan(c, all));
        QCOMPARE(numbering.numberFor(all.last()), QStringLiteral("202412311001"));
        const Customer outsider = order(500, "2025-03-04T08:00:00");
        QCOMPARE(numbering.numberFor(outsider), numberByScan(outsider, all));
    }

    void filterTexts_data()
    {
        QTest::addColumn<QStringList>("numberNamePhone");
        QTest::addColumn<QList<int>>("passing");
        QTest::newRow("no filter") << QStringList{"", "", ""} << QList<int>{0, 1, 2, 3};
        QTest::newRow("name ignores case") << QStringList{"", "ANNA", ""} << QList<int>{0, 2};
        QTest::newRow("phone substring") << QStringList{"", "", "555"} << QList<int>{1, 2};
        QTest::newRow("both must hold") << QStringList{"", "anna", "555"} << QList<int>{2};
        QTest::newRow("derived number") << QStringList{"20250304002", "", ""} << QList<int>{1};
        QTest::newRow("derived day") << QStringList{"20250304", "", ""} << QList<int>{0, 1};
        QTest::newRow("stored number ignored") << QStringList{"STORED-1", "", ""} << QList<int>{};
        QTest::newRow("N/A ignores case") << QStringList{"n/a", "", ""} << QList<int>{3};
    }

    void filterTexts()
    {
        QFETCH(QStringList, numberNamePhone);
        QList<Customer> all{order(1, "2025-03-04T10:00:00", "Anna Berg", "0301"),
                            order(2, "2025-03-04T11:00:00", "Bo", "5551"),
                            order(3, "2025-03-05T11:00:00", "hanna", "0555"),
                            order(4, "", "Carl", "")};
        all[0].orderNumber = QStringLiteral("STORED-1");
        OrderFilter filter;
        filter.orderNumber = numberNamePhone[0];
        filter.name = numberNamePhone[1];
        filter.phone = numberNamePhone[2];
        QTEST(filter.apply(all, OrderNumbering(all)), "passing");
    }

    void filterDays_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QList<int>>("passing");
        QTest::newRow("same day, whole day")
            << "2025.03.04" << QString("2025.03.04") << QList<int>{1, 2, 4};
        QTest::newRow("no bounds") << QString() << QString() << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("unparsable bound ignored")
            << "2025/03/04" << QString(" 2025.03.04 ") << QList<int>{0, 1, 2, 4};
        QTest::newRow("from only") << "2025.03.05" << QString() << QList<int>{3, 4};
        QTest::newRow("empty range") << "2025.03.06" << QString("2025.03.01") << QList<int>{4};
    }

    void filterDays()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const QList<Customer> all{order(1, "2025-03-03T23:59:59"), order(2, "2025-03-04T00:00:00"),
                                  order(3, "2025-03-04T23:59:59.999"),
                                  order(4, "2025-03-05T00:00:00"),
                                  order(5, "not a date")}; // never hidden by dates
        OrderFilter filter;
        filter.from = OrderFilter::parseBound(from);
        filter.to = OrderFilter::parseBound(to);
        QTEST(filter.apply(all, OrderNumbering(all)), "passing");
    }

    void creationDayReadsLikeTheFormat()
    {
        const QStringList samples{"2025-03-04T10:11:12",
                                  "2024-02-29x",
                                  "2023-02-29",
                                  "2025-13-01",
                                  "2025-00-10",
                                  "2025-3-04xx",
                                  "20250304xx",
                                  "0000-01-01",
                                  "2025-03-0",
                                  "2025-03-04\u0663",
                                  QString::fromUtf8("２０２５-03-04")};
        for (const QString &sample : samples)
            QCOMPARE(OrderFilter::creationDay(sample),
                     QDate::fromString(sample.left(10), QStringLiteral("yyyy-MM-dd")));
    }

    void paging()
    {
        QCOMPARE(OrderPaging::totalPages(0, 10), 1);
        QCOMPARE(OrderPaging::totalPages(10, 10), 1);
        QCOMPARE(OrderPaging::totalPages(10000, 50), 200);
        QCOMPARE(OrderPaging::totalPages(std::numeric_limits<int>::max(), 50), 42949673);
        QCOMPARE(OrderPaging::clampPage(4, 25, 10), 3);
        QCOMPARE(OrderPaging::clampPage(0, 25, 10), 1);
        QCOMPARE(OrderPaging::firstIndex(3, 10), 20);
        QCOMPARE(OrderPaging::countOnPage(3, 25, 10), 5);
        QCOMPARE(OrderPaging::countOnPage(4, 25, 10), 0);
    }

    void goTarget_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("target"); // -1: ignored
        for (const char *ignored : {"0", "-2", "two", "1.5", "", "99999999999"})
            QTest::addRow("'%s'", ignored) << ignored << 3 << -1;
        QTest::newRow("beyond the end") << "7" << 3 << 3;
        QTest::newRow("inside") << " 2 " << 3 << 2;
        QTest::newRow("single page") << "2" << 1 << 1;
    }

    void goTarget()
    {
        QFETCH(QString, text);
        QFETCH(int, pages);
        QTEST(OrderPaging::goTarget(text, pages).value_or(-1), "target");
    }

    void cardColumns_data()
    {
        // Cards are at least 320 wide with 24 between them.
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("columns");
        QTest::newRow("663") << 663 << 1;
        QTest::newRow("664") << 664 << 2;
        QTest::newRow("1007") << 1007 << 2;
        QTest::newRow("1008") << 1008 << 3;
        QTest::newRow("wide") << 4000 << 3;
        QTest::newRow("no viewport") << -1 << 2;
    }

    void cardColumns()
    {
        QFETCH(int, width);
        QTEST(OrderLayout::cardColumns(width), "columns");
    }

    void photoColumns()
    {
        QCOMPARE(OrderLayout::photoColumns(0, 12), 1);
        QCOMPARE(OrderLayout::photoColumns(6 * 220 + 5 * 12, 12), 6);
        QCOMPARE(OrderLayout::photoColumns(6 * 220 + 5 * 12 - 1, 12), 5);
    }

    void createdAtForms_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("listAndDetail");
        QTest::newRow("iso") << "2025-03-04T10:11:12"
                             << QStringList{"2025.03.04 10:11:12", "2025-03-04 10:11:12"};
        QTest::newRow("fraction") << "2025-03-04T10:11:12.345"
                                  << QStringList{"2025.03.04 10:11:12", "2025-03-04 10:11:12"};
        QTest::newRow("short keeps T")
            << "2025-03-04T10" << QStringList{"2025.03.04T10", "2025-03-04T10"};
        QTest::newRow("empty") << QString() << QStringList{"-", "-"};
    }

    void createdAtForms()
    {
        QFETCH(QString, stored);
        QTEST((QStringList{OrderDisplay::listCreatedAt(stored),
                           OrderDisplay::detailCreatedAt(stored)}),
              "listAndDetail");
    }

    void displayValues()
    {
        QCOMPARE(OrderDisplay::ageText(-1), QStringLiteral("-"));
        QCOMPARE(OrderDisplay::ageText(0), QStringLiteral("0"));
        QCOMPARE(OrderDisplay::genderOf(QStringLiteral("女")), OrderDisplay::Gender::Female);
        QCOMPARE(OrderDisplay::genderOf(QStringLiteral("male")), OrderDisplay::Gender::Undisclosed);
        QCOMPARE(OrderDisplay::singleLine("a\nb\r\tc"), QStringLiteral("a b  c"));
    }

    void wrappableBreaksLongRunsAndCaps()
    {
        const QString longWord(100, QLatin1Char('x'));
        const QString shown = OrderDisplay::wrappable(longWord, 1000, 24);
        QCOMPARE(QString(shown).remove(QChar(0x200B)), longWord);
        QCOMPARE(shown.count(QChar(0x200B)), 4);
        QCOMPARE(OrderDisplay::wrappable("short words stay", 1000),
                 QStringLiteral("short words stay"));
        const QString capped = OrderDisplay::wrappable(QString(5000, QLatin1Char('y')), 50, 1000);
        QCOMPARE(capped, QString(50, QLatin1Char('y')) + QChar(0x2026));
        // A cut never splits a surrogate pair.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(10);
        const QString cut = OrderDisplay::wrappable(emoji, 5, 1000);
        QVERIFY(!cut.at(cut.size() - 2).isHighSurrogate());
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestOrderLogic)
#include "tst_orderlogic.moc"

// Numbering, filtering, paging, layout and display rules of the order pages.
#include "records/orderdisplay.h"
#include "records/orderfilter.h"
#include "records/orderlayout.h"
#include "records/ordernumbering.h"
#include "records/orderpaging.h"

#include "common/testsupport.h"

#include <QRandomGenerator>

#include <algorithm>

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
    void numberingExamples()
    {
        const QList<Customer> all{order(7, "2025-03-04T10:00:00"), order(3, "2025-03-04T23:59:59"),
                                  order(9, "2025-03-05T01:00:00"), order(1, "short")};
        const OrderNumbering numbering(all);
        QCOMPARE(numbering.numberFor(all[0]), QStringLiteral("20250304002"));
        QCOMPARE(numbering.numberFor(all[1]), QStringLiteral("20250304001"));
        QCOMPARE(numbering.numberFor(all[2]), QStringLiteral("20250305001"));
        QCOMPARE(numbering.numberFor(all[3]), QStringLiteral("N/A"));
        // An order not in the list it was built from has no rank.
        QCOMPARE(numbering.numberFor(order(5, "2025-03-04T08:00:00")),
                 QStringLiteral("20250304000"));
    }

    void numberingHasAtLeastThreeDigits()
    {
        QList<Customer> all;
        for (int id = 1; id <= 1001; ++id)
            all.append(order(id, "2024-12-31T12:00:00"));
        const OrderNumbering numbering(all);
        QCOMPARE(numbering.numberFor(all[8]), QStringLiteral("20241231009"));
        QCOMPARE(numbering.numberFor(all[1000]), QStringLiteral("202412311001"));
    }

    void numberingMatchesTheDirectRule()
    {
        // Colliding, negative and zero ids, short and odd createdAt values,
        // days that share a prefix: the grouped lookup must agree everywhere.
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
        const OrderNumbering numbering(all);
        for (const Customer &c : std::as_const(all))
            QCOMPARE(numbering.numberFor(c), numberByScan(c, all));
    }

    void filterTexts_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QList<int>>("passing");
        QTest::newRow("no filter") << ""
                                   << ""
                                   << "" << QList<int>{0, 1, 2, 3};
        QTest::newRow("name ignores case") << ""
                                           << "ANNA"
                                           << "" << QList<int>{0, 2};
        QTest::newRow("phone substring") << ""
                                         << ""
                                         << "555" << QList<int>{1, 2};
        QTest::newRow("both must hold") << ""
                                        << "anna"
                                        << "555" << QList<int>{2};
        QTest::newRow("derived number") << "20250304002"
                                        << ""
                                        << "" << QList<int>{1};
        QTest::newRow("derived day") << "20250304"
                                     << ""
                                     << "" << QList<int>{0, 1};
        QTest::newRow("stored number ignored") << "STORED-1"
                                               << ""
                                               << "" << QList<int>{};
        QTest::newRow("N/A ignores case") << "n/a"
                                          << ""
                                          << "" << QList<int>{3};
    }

    void filterTexts()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QString, phone);
        QList<Customer> all{order(1, "2025-03-04T10:00:00", "Anna Berg", "0301"),
                            order(2, "2025-03-04T11:00:00", "Bo", "5551"),
                            order(3, "2025-03-05T11:00:00", "hanna", "0555"),
                            order(4, "", "Carl", "")};
        all[0].orderNumber = QStringLiteral("STORED-1");
        OrderFilter filter;
        filter.orderNumber = number;
        filter.name = name;
        filter.phone = phone;
        QTEST(filter.apply(all, OrderNumbering(all)), "passing");
    }

    void filterDays_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QList<int>>("passing");
        QTest::newRow("same day, whole day") << "2025.03.04"
                                             << "2025.03.04" << QList<int>{1, 2, 4};
        QTest::newRow("no bounds") << ""
                                   << "" << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("unparsable bound ignored") << "2025/03/04"
                                                  << " 2025.03.04 " << QList<int>{0, 1, 2, 4};
        QTest::newRow("from only") << "2025.03.05"
                                   << "" << QList<int>{3, 4};
        QTest::newRow("empty range") << "2025.03.06"
                                     << "2025.03.01" << QList<int>{4};
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
        const QStringList samples{"2025-03-04T10:11:12", "2025-03-04",
                                  "2024-02-29x",         "2023-02-29",
                                  "2025-13-01",          "2025-00-10",
                                  "2025-3-04xx",         "20250304xx",
                                  "0000-01-01",          "abcd-ef-gh",
                                  "2025-03-0",           "",
                                  "2025-03-04\u0663",    QString::fromUtf8("２０２５-03-04")};
        for (const QString &sample : samples)
            QCOMPARE(OrderFilter::creationDay(sample),
                     QDate::fromString(sample.left(10), QStringLiteral("yyyy-MM-dd")));
    }

    void paging()
    {
        QCOMPARE(OrderPaging::totalPages(0, 10), 1);
        QCOMPARE(OrderPaging::totalPages(10, 10), 1);
        QCOMPARE(OrderPaging::totalPages(25, 10), 3);
        QCOMPARE(OrderPaging::totalPages(10000, 50), 200);
        QCOMPARE(OrderPaging::clampPage(4, 25, 10), 3);
        QCOMPARE(OrderPaging::clampPage(0, 25, 10), 1);
        QCOMPARE(OrderPaging::firstIndex(3, 10), 20);
        QCOMPARE(OrderPaging::countOnPage(3, 25, 10), 5);
        QCOMPARE(OrderPaging::countOnPage(4, 25, 10), 0);
        QCOMPARE(OrderPaging::countOnPage(1, 0, 10), 0);
    }

    void goTarget_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("target"); // -1: ignored
        QTest::newRow("beyond the end") << "7" << 3 << 3;
        QTest::newRow("inside") << " 2 " << 3 << 2;
        QTest::newRow("zero") << "0" << 3 << -1;
        QTest::newRow("negative") << "-2" << 3 << -1;
        QTest::newRow("word") << "two" << 3 << -1;
        QTest::newRow("fraction") << "1.5" << 3 << -1;
        QTest::newRow("empty") << "" << 3 << -1;
        QTest::newRow("too large for int") << "99999999999" << 3 << -1;
        QTest::newRow("single page") << "2" << 1 << 1;
    }

    void goTarget()
    {
        QFETCH(QString, text);
        QFETCH(int, pages);
        const std::optional<int> target = OrderPaging::goTarget(text, pages);
        QTEST(target.value_or(-1), "target");
    }

    void cardColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("columns");
        QTest::newRow("narrow") << 100 << 1;
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
        QCOMPARE(OrderLayout::photoColumns(760 - 12, 12), 3);
        QCOMPARE(OrderLayout::photoColumns(0, 12), 1);
        QCOMPARE(OrderLayout::photoColumns(5 * 12 + 1320, 12), 6);
    }

    void languageMetrics()
    {
        QCOMPARE(OrderLayout::orderPageMetrics("de_DE").newOrderButtonWidth, 156);
        QCOMPARE(OrderLayout::orderPageMetrics("en_US").newOrderButtonWidth, 120);
        // The rule is case-sensitive: only a code beginning with "de".
        QCOMPARE(OrderLayout::orderPageMetrics("DE").cardLinkFontSize, 12);
        QCOMPARE(OrderLayout::photoViewButtonFontSize("de_AT"), 10);
    }

    void createdAtForms_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("detail");
        QTest::newRow("iso") << "2025-03-04T10:11:12"
                             << "2025.03.04 10:11:12"
                             << "2025-03-04 10:11:12";
        QTest::newRow("fraction") << "2025-03-04T10:11:12.345"
                                  << "2025.03.04 10:11:12"
                                  << "2025-03-04 10:11:12";
        QTest::newRow("short keeps T") << "2025-03-04T10"
                                       << "2025.03.04T10"
                                       << "2025-03-04T10";
        QTest::newRow("empty") << ""
                               << "-"
                               << "-";
    }

    void createdAtForms()
    {
        QFETCH(QString, stored);
        QTEST(OrderDisplay::listCreatedAt(stored), "list");
        QTEST(OrderDisplay::detailCreatedAt(stored), "detail");
    }

    void displayValues()
    {
        QCOMPARE(OrderDisplay::orDash(QString()), QStringLiteral("-"));
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

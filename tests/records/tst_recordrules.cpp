// The plain rules behind the record pages: the order form, derived order
// numbers, filters, paging, layout, display texts, fitter search and photo entries.
#include "records/customerhistory.h"
#include "records/fitterquery.h"
#include "records/listpaging.h"
#include "records/orderdisplay.h"
#include "records/orderform.h"
#include "records/reportphoto.h"
#include "records/store/orderfilter.h"
#include "records/store/ordernumbering.h"

#include "common/testsupport.h"

#include <QImage>
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

class TestRecordRules : public QObject
{
    Q_OBJECT

private slots:
    void age()
    {
        const QList<QPair<QString, int>> cases{{"  7 ", 7},        {"0", 0},    {"", -1},
                                               {"abc", -1},        {"4.5", -1}, {"-5", -1},
                                               {"99999999999", -1}};
        for (const auto &[text, age] : cases)
            QCOMPARE(OrderForm::parseAge(text), age);
    }

    void fitterSearch()
    {
        QList<Fitter> fitters(4);
        fitters[0].name = "anna";
        fitters[1].workId = "ANNA-ID"; // work id and clinic are not searched
        fitters[1].clinicName = "Anna clinic";
        fitters[2].phone = "0151";
        fitters[2].skill = "Kids";
        fitters[3].note = "likes ANNAbelle";
        QCOMPARE(FitterQuery::matching(fitters, "ANNA"), (QList<int>{0, 3}));
        QCOMPARE(FitterQuery::matching(fitters, "kid"), QList<int>{2});
        QCOMPARE(FitterQuery::matching(fitters, "015"), QList<int>{2});
        QCOMPARE(FitterQuery::matching(fitters, ""), (QList<int>{0, 1, 2, 3}));
    }

    void photoEntries()
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QStringList entries = ::photoEntries({{QPixmap::fromImage(image), "20250303_L"},
                                                    {QPixmap(), "left_2"},
                                                    {QPixmap::fromImage(image), "right_1"}});
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[1].startsWith("right_1|"));
        QVERIFY(entries[0].startsWith("20250303_L|"));
        QImage decoded; // the whole picture, not a thumbnail
        QVERIFY(decoded.loadFromData(QByteArray::fromBase64(entries[0].section('|', 1).toLatin1()),
                                     "JPEG"));
        QCOMPARE(decoded.size(), QSize(64, 48));
    }

    void photoEar_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ear");
        const int left = int(PhotoEar::Left), right = int(PhotoEar::Right),
                  unknown = int(PhotoEar::Unknown);
        QTest::newRow("capture L") << "20250304_101112_L" << left;
        QTest::newRow("capture R, second in its second") << "20250304_101112_R_2" << right;
        QTest::newRow("with extension") << "20250304_101112_r.jpg" << right;
        QTest::newRow("left_N") << "left_3" << left;
        QTest::newRow("right_N") << " right_12 " << right;
        QTest::newRow("letter inside a word") << "Lena_R_notes" << unknown;
        QTest::newRow("left without number") << "left_" << unknown;
        QTest::newRow("free name") << "Trommelfell" << unknown;
        QTest::newRow("empty") << "" << unknown;
    }

    void photoEar()
    {
        QFETCH(QString, name);
        QTEST(int(photoEarOf(name)), "ear");
    }

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

    void filter_data()
    {
        QTest::addColumn<QStringList>("numberNamePhoneFromTo");
        QTest::addColumn<QList<int>>("passing");
        const auto row = [](const char *name, const QStringList &fields,
                            const QList<int> &passing) {
            QTest::newRow(name) << fields << passing;
        };
        row("no filter", {"", "", "", "", ""}, {0, 1, 2, 3, 4});
        row("name ignores case", {"", "ANNA", "", "", ""}, {0, 2});
        row("phone substring", {"", "", "555", "", ""}, {1, 2});
        row("both must hold", {"", "anna", "555", "", ""}, {2});
        row("derived number", {"20250304002", "", "", "", ""}, {2});
        row("derived day", {"20250304", "", "", "", ""}, {1, 2});
        row("typed number", {"stored-1", "", "", "", ""}, {0});
        row("typed order keeps its derived number", {"20250303001", "", "", "", ""}, {0});
        row("N/A ignores case", {"n/a", "", "", "", ""}, {4});
        // Orders without a readable day are never hidden by dates.
        row("same day, whole day", {"", "", "", "2025.03.04", "2025.03.04"}, {1, 2, 4});
        row("unparsable bound ignored", {"", "", "", "2025/03/04", " 2025.03.04 "}, {0, 1, 2, 4});
        row("from only", {"", "", "", "2025.03.05", ""}, {3, 4});
        row("empty range", {"", "", "", "2025.03.06", "2025.03.01"}, {4});
    }

    void filter()
    {
        QFETCH(QStringList, numberNamePhoneFromTo);
        QList<Customer> all{order(1, "2025-03-03T23:59:59", "Anna Berg", "0301"),
                            order(2, "2025-03-04T00:00:00", "Bo", "5551"),
                            order(3, "2025-03-04T23:59:59.999", "hanna", "0555"),
                            order(4, "2025-03-05T00:00:00", "Dora"), order(5, "", "Carl")};
        all[0].orderNumber = QStringLiteral("STORED-1");
        OrderFilter filter;
        filter.orderNumber = numberNamePhoneFromTo[0];
        filter.name = numberNamePhoneFromTo[1];
        filter.phone = numberNamePhoneFromTo[2];
        filter.from = OrderFilter::parseBound(numberNamePhoneFromTo[3]);
        filter.to = OrderFilter::parseBound(numberNamePhoneFromTo[4]);
        filter.newestFirst = false;
        QTEST(filter.apply(all, OrderNumbering(all)), "passing");
        // Newest first is the same orders from the last stored one back.
        QFETCH(QList<int>, passing);
        std::reverse(passing.begin(), passing.end());
        filter.newestFirst = true;
        QCOMPARE(filter.apply(all, OrderNumbering(all)), passing);
    }

    void creationDayReadsLikeTheFormat()
    {
        const QStringList samples =
            QStringLiteral(
                "2025-03-04T10:11:12|2024-02-29x|2023-02-29|2025-13-01|2025-00-10|"
                "2025-3-04xx|20250304xx|0000-01-01|2025-03-0|2025-03-04\u0663|２０２５-03-04")
                .split(QLatin1Char('|'));
        for (const QString &sample : samples)
            QCOMPARE(OrderFilter::creationDay(sample),
                     QDate::fromString(sample.left(10), QStringLiteral("yyyy-MM-dd")));
    }

    // The fitter table and the order list page alike; both must agree.
    void paging_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("clamped");
        QTest::newRow("empty") << 0 << 10 << 1 << 1 << 0 << 0 << 1;
        QTest::newRow("exactly one page") << 10 << 10 << 1 << 1 << 0 << 10 << 1;
        QTest::newRow("eleven, page 2") << 11 << 10 << 2 << 2 << 10 << 1 << 2;
        QTest::newRow("shrunk below page") << 11 << 10 << 3 << 2 << 20 << 0 << 2;
        QTest::newRow("page 0") << 30 << 10 << 0 << 3 << 0 << 10 << 1;
        QTest::newRow("10,000 by 50") << 10000 << 50 << 200 << 200 << 9950 << 50 << 200;
        QTest::newRow("huge count")
            << std::numeric_limits<int>::max() << 50 << 1 << 42949673 << 0 << 50 << 1;
    }

    void paging()
    {
        QFETCH(int, count);
        QFETCH(int, pageSize);
        QFETCH(int, page);
        QTEST(ListPaging::totalPages(count, pageSize), "pages");
        QTEST(ListPaging::clampPage(page, count, pageSize), "clamped");
        QTEST(ListPaging::firstIndex(page, pageSize), "first");
        QTEST(ListPaging::rowsOnPage(page, count, pageSize), "rows");
    }

    void goTarget_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("target"); // 0: ignored
        for (const char *ignored : {"0", "-2", "two", "1.5", "", "99999999999"})
            QTest::addRow("'%s'", ignored) << ignored << 30 << 0;
        QTest::newRow("beyond the end") << "7" << 30 << 3;
        QTest::newRow("inside") << " 2 " << 30 << 2;
        QTest::newRow("single page") << "2" << 5 << 1;
    }

    void goTarget()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(int, target);
        QCOMPARE(ListPaging::jumpTarget(text, count, 10), target);
    }

    void createdAtForms()
    {
        // As the order list, the detail page and the order form show it.
        const QList<QStringList> cases{
            {"2025-03-04T10:11:12", "2025.03.04 10:11:12", "2025-03-04 10:11:12"},
            {"2025-03-04T10:11:12.345+02:00", "2025.03.04 10:11:12", "2025-03-04 10:11:12"},
            {"2025-03-04T10", "2025.03.04T10", "2025-03-04T10"},
            {"", "-", "-"}};
        for (const QStringList &c : cases) {
            QCOMPARE(OrderDisplay::listCreatedAt(c[0]), c[1]);
            QCOMPARE(OrderDisplay::detailCreatedAt(c[0]), c[2]);
            QCOMPARE(OrderForm::createdAtForDisplay(c[0]), c[0].isEmpty() ? QString() : c[1]);
        }
    }

    // The same customer: the same phone however written, or else the same
    // name and birth date; only orders before the shown one, newest first.
    void earlierVisitsOfTheSameCustomer()
    {
        Customer today = order(10, "2026-03-05T09:00:00", "Anna Weber", "+49 170 123-4567");
        today.birthDate = "1950-04-03";
        Customer samePhone = order(3, "2025-11-02T10:00:00", "A. Weber", "0049 (170) 1234567");
        Customer otherNumber = order(4, "2025-06-01T10:00:00", "Anna Weber", "49 170 1234567");
        Customer sameNameAndBirth = order(5, "2024-01-20T10:00:00", " anna  WEBER ", "030 999 888");
        sameNameAndBirth.birthDate = "03.04.1950";
        Customer sameNameOnly = order(6, "2024-02-20T10:00:00", "Anna Weber", "");
        sameNameOnly.birthDate = "1951-04-03";
        Customer later = order(11, "2026-04-01T10:00:00", "Anna Weber", "+49 170 1234567");
        Customer shortPhone = order(12, "2025-01-01T10:00:00", "Other", "12");
        Customer stranger = order(7, "2025-12-24T10:00:00", "Bob", "0170 1234567");
        const QList<Customer> all{stranger, sameNameOnly, today,      samePhone,
                                  later,    otherNumber,  shortPhone, sameNameAndBirth};

        QList<int> ids;
        for (const Customer &c : CustomerHistory::earlierOrders(today, all))
            ids.append(c.id);
        // 4: same digits as today's number; 7: a different number (0170... lacks the 49).
        QCOMPARE(ids, (QList<int>{3, 4, 5}));

        // Short numbers tell no one; without a phone, name and birth date must both match.
        Customer noPhone = order(20, "2026-01-01T00:00:00", "Zoe", "12");
        QVERIFY(!CustomerHistory::sameCustomer(noPhone, order(21, "", "Kim", "0012")));
        noPhone.birthDate = "2001/02/03";
        Customer twin = order(22, "2025-01-01T00:00:00", "zoe", "");
        QVERIFY(!CustomerHistory::sameCustomer(noPhone, twin));
        twin.birthDate = "2001-02-03";
        QVERIFY(CustomerHistory::sameCustomer(noPhone, twin));
        // An order without a valid creation time has no earlier ones.
        QVERIFY(CustomerHistory::earlierOrders(
                    order(10, "damaged", "Anna Weber", "+49 170 1234567"), all)
                    .isEmpty());
    }

    void longTextsBreakAndCap()
    {
        const QString longWord(100, QLatin1Char('x'));
        const QString shown = OrderDisplay::wrappable(longWord, 1000, 24);
        QCOMPARE(QString(shown).remove(QChar(0x200B)), longWord);
        QCOMPARE(shown.count(QChar(0x200B)), 4);
        QCOMPARE(OrderDisplay::wrappable("short words stay", 1000),
                 QStringLiteral("short words stay"));
        QCOMPARE(OrderDisplay::singleLine("a\nb\r\tc"), QStringLiteral("a b  c"));
        const QString capped = OrderDisplay::wrappable(QString(5000, QLatin1Char('y')), 50, 1000);
        QCOMPARE(capped, QString(50, QLatin1Char('y')) + QChar(0x2026));
        // A cut never splits a surrogate pair.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(10);
        const QString cut = OrderDisplay::wrappable(emoji, 5, 1000);
        QVERIFY(!cut.at(cut.size() - 2).isHighSurrogate());
    }
};

LUMAURAL_TEST_MAIN(TestRecordRules)
#include "tst_recordrules.moc"

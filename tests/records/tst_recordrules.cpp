// The plain rules behind the record pages: the order form, the inspector
// check, fitter search, paging and photo entries.
#include "records/fitterquery.h"
#include "records/listpaging.h"
#include "records/newinspector.h"
#include "records/orderform.h"
#include "records/reportphoto.h"

#include "common/testsupport.h"

#include <QImage>

#include <limits>

namespace {

Customer customer(int id, const QString &name, int fitterId = -1)
{
    Customer c;
    c.id = id;
    c.name = name;
    c.fitterId = fitterId;
    return c;
}

} // namespace

class TestRecordRules : public QObject
{
    Q_OBJECT

private slots:
    void age_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("age");
        QTest::newRow("spaces") << "  7 " << 7;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("word") << "abc" << -1;
        QTest::newRow("fraction") << "4.5" << -1;
        QTest::newRow("negative") << "-5" << -1;
        QTest::newRow("beyond int") << "99999999999" << -1;
    }

    void age()
    {
        QFETCH(QString, text);
        QTEST(OrderForm::parseAge(text), "age");
    }

    void buildTrimsAndFillsDefaults()
    {
        OrderForm::Input input;
        input.orderNumber = "  A-7 ";
        input.name = " Li ";
        input.notes = "\n <b>n</b> \n";
        input.ageText = "abc";
        const QDateTime now(QDate(2025, 3, 3), QTime(9, 5, 7));
        const Customer order = OrderForm::build(customer(12, ""), input, nullptr, now);
        QCOMPARE(order.id, 12);
        QCOMPARE(order.orderNumber, QStringLiteral("A-7"));
        QCOMPARE(order.name, QStringLiteral("Li"));
        QCOMPARE(order.notes, QStringLiteral("<b>n</b>"));
        QCOMPARE(order.gender, QStringLiteral("保密"));
        QCOMPARE(order.age, -1);
        QCOMPARE(order.createdAt, QStringLiteral("2025-03-03T09:05:07"));
    }

    void editKeepsWhatTheFormDoesNotShow()
    {
        Customer edited = customer(5, "Old", 9);
        edited.createdAt = "2024-01-02T03:04:05";
        edited.patientId = "P";
        edited.diagnosis = "d";
        edited.photos = {"a|AAAA"};
        edited.fitterName = "Gone";
        OrderForm::Input input;
        input.orderNumber = "N";
        input.name = "Name";
        input.genderValue = "女";
        const QDateTime now = QDateTime::currentDateTime();
        Customer expected = edited;
        expected.orderNumber = "N";
        expected.name = "Name";
        expected.gender = "女";
        // The deleted inspector's copy stays when no other was chosen.
        QCOMPARE(OrderForm::build(edited, input, nullptr, now).toJson(), expected.toJson());

        const Fitter chosen{2, "Wu", "W2", "C", "", -1, "", "", "", false};
        const Customer reassigned = OrderForm::build(edited, input, &chosen, now);
        QCOMPARE(reassigned.fitterId, 2);
        QCOMPARE(reassigned.fitterName + reassigned.fitterWorkId + reassigned.fitterClinic,
                 QStringLiteral("WuW2C"));
    }

    void validationOrder_data()
    {
        QTest::addColumn<QString>("orderNumber");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("fitterId");
        QTest::addColumn<int>("problem");
        using P = OrderForm::Problem;
        QTest::newRow("all missing") << QString() << QString() << -1 << int(P::OrderNumberMissing);
        QTest::newRow("name and inspector") << "1" << QString() << -1 << int(P::NameMissing);
        QTest::newRow("inspector") << "1" << QString("x") << -1 << int(P::InspectorMissing);
        QTest::newRow("inspector id 0 counts") << "1" << QString("x") << 0 << int(P::None);
    }

    void validationOrder()
    {
        QFETCH(QString, orderNumber);
        QFETCH(QString, name);
        QFETCH(int, fitterId);
        Customer order = customer(1, name, fitterId);
        order.orderNumber = orderNumber;
        QTEST(int(OrderForm::validate(order)), "problem");
    }

    void storeReplacesOnlyTheFirstOfCollidingIds()
    {
        QList<Customer> orders{customer(5, "first"), customer(5, "second"), customer(-1, "")};
        OrderForm::store(orders, customer(5, "changed"), true);
        QCOMPARE(orders.size(), 3);
        QCOMPARE(orders[0].name, QStringLiteral("changed"));
        QCOMPARE(orders[1].name, QStringLiteral("second"));
        OrderForm::store(orders, customer(77, "deleted meanwhile"), true);
        OrderForm::store(orders, customer(5, "new"), false);
        QCOMPARE(orders.size(), 5);
        QCOMPARE(orders[3].id, 77);
        QCOMPARE(orders[4].name, QStringLiteral("new"));
    }

    void createdAtDisplay_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("iso") << "2025-03-03T09:05:07" << QString("2025.03.03 09:05:07");
        QTest::newRow("ms and zone")
            << "2025-03-03T09:05:07.123+02:00" << QString("2025.03.03 09:05:07");
        QTest::newRow("date only") << "2025-03-03" << QString("2025.03.03");
        QTest::newRow("empty") << QString() << QString();
    }

    void createdAtDisplay()
    {
        QFETCH(QString, stored);
        QTEST(OrderForm::createdAtForDisplay(stored), "shown");
    }

    void fieldWidthsFollowThePageWithoutJumps()
    {
        OrderForm::Widths last = OrderForm::widthsFor(400);
        for (int width = 401; width <= 3000; ++width) {
            const OrderForm::Widths next = OrderForm::widthsFor(width);
            QVERIFY2(unsigned(next.orderNumber - last.orderNumber) <= 1 &&
                         unsigned(next.inspector - last.inspector) <= 1,
                     qPrintable(QString::number(width)));
            last = next;
        }
        QVERIFY(OrderForm::widthsFor(1920).orderNumber > OrderForm::widthsFor(1250).orderNumber);
    }

    void newInspectorChecks_data()
    {
        QTest::addColumn<QString>("workId");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("problem");
        using P = NewInspector::Problem;
        QTest::newRow("id of spaces") << "   " << QString("x") << int(P::IdMissing);
        QTest::newRow("both missing") << QString() << QString() << int(P::IdMissing);
        QTest::newRow("name missing") << "A7" << QString(" ") << int(P::NameMissing);
        QTest::newRow("taken") << " A7 " << QString("x") << int(P::IdTaken);
        QTest::newRow("other case is free") << "a7" << QString("x") << int(P::None);
    }

    void newInspectorChecks()
    {
        QFETCH(QString, workId);
        QFETCH(QString, name);
        QList<Fitter> existing(1);
        existing[0].workId = "A7";
        QTEST(int(NewInspector::check(workId, name, existing)), "problem");
    }

    void newInspectorRecord()
    {
        QList<Fitter> existing(2);
        existing[0].id = 4;
        existing[1].id = -3;
        const Fitter made = NewInspector::make(" W1 ", " Zhao ", QString(), existing);
        QCOMPARE(made.id, 5);
        QCOMPARE(made.workId + made.name + made.gender, QStringLiteral("W1Zhao保密"));
        QVERIFY(!made.isDefault);
        QCOMPARE(NewInspector::make("W", "N", "男", {}).id, 1);
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

    void jump_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("target");
        for (const char *ignored : {"0", "-3", "abc", ""})
            QTest::addRow("'%s'", ignored) << ignored << 30 << 0;
        QTest::newRow("beyond") << "99" << 30 << 3;
        QTest::newRow("inside") << " 2 " << 30 << 2;
        QTest::newRow("single page") << "2" << 5 << 1;
    }

    void jump()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QTEST(ListPaging::jumpTarget(text, count, 10), "target");
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
        const QByteArray jpeg = QByteArray::fromBase64(entries[0].section('|', 1).toLatin1(),
                                                       QByteArray::AbortOnBase64DecodingErrors);
        QImage decoded;
        QVERIFY(jpeg.startsWith("\xFF\xD8") && decoded.loadFromData(jpeg));
        QCOMPARE(decoded.size(), QSize(64, 48));
    }
};

LUMAURAL_TEST_MAIN(TestRecordRules)
#include "tst_recordrules.moc"

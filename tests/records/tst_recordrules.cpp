// The plain rules behind the record pages: the order form, the inspector
// check, fitter search and table texts, paging and photo entries.
#include "records/fitterquery.h"
#include "records/listpaging.h"
#include "records/newinspector.h"
#include "records/orderform.h"
#include "records/reportphoto.h"

#include "common/testsupport.h"

#include <QImage>
#include <QPainter>

#include <limits>

class TestRecordRules : public QObject
{
    Q_OBJECT

private slots:
    void age_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("age");
        QTest::newRow("number") << "42" << 42;
        QTest::newRow("spaces") << "  7 " << 7;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("word") << "abc" << -1;
        QTest::newRow("fraction") << "4.5" << -1;
        QTest::newRow("negative") << "-5" << -1;
        QTest::newRow("beyond int") << "99999999999" << -1;
        QTest::newRow("zero") << "0" << 0;
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
        Customer base;
        base.id = 12;
        const Customer order = OrderForm::build(base, input, nullptr, now);
        QCOMPARE(order.id, 12);
        QCOMPARE(order.orderNumber, QStringLiteral("A-7"));
        QCOMPARE(order.name, QStringLiteral("Li"));
        QCOMPARE(order.notes, QStringLiteral("<b>n</b>"));
        QCOMPARE(order.gender, QStringLiteral("保密"));
        QCOMPARE(order.age, -1);
        QCOMPARE(order.createdAt, QStringLiteral("2025-03-03T09:05:07"));
        QCOMPARE(order.fitterId, -1);
        QCOMPARE(OrderForm::validate(order), OrderForm::Problem::InspectorMissing);
    }

    void editKeepsWhatTheFormDoesNotShow()
    {
        Customer edited;
        edited.id = 5;
        edited.createdAt = "2024-01-02T03:04:05";
        edited.patientId = "P";
        edited.email = "e@x";
        edited.diagnosis = "d";
        edited.photos = {"a|AAAA"};
        edited.fitterId = 9;
        edited.fitterName = "Gone";
        edited.fitterWorkId = "W9";
        OrderForm::Input input;
        input.orderNumber = "N";
        input.name = "Name";
        input.genderValue = "女";
        const Customer order =
            OrderForm::build(edited, input, nullptr, QDateTime::currentDateTime());
        QCOMPARE(order.createdAt, edited.createdAt);
        QCOMPARE(order.patientId, edited.patientId);
        QCOMPARE(order.email, edited.email);
        QCOMPARE(order.diagnosis, edited.diagnosis);
        QCOMPARE(order.photos, edited.photos);
        QCOMPARE(order.gender, QStringLiteral("女"));
        // The deleted inspector's copy stays when no other was chosen.
        QCOMPARE(order.fitterId, 9);
        QCOMPARE(order.fitterName, QStringLiteral("Gone"));

        Fitter chosen;
        chosen.id = 2;
        chosen.name = "Wu";
        chosen.workId = "W2";
        chosen.clinicName = "C";
        const Customer reassigned =
            OrderForm::build(edited, input, &chosen, QDateTime::currentDateTime());
        QCOMPARE(reassigned.fitterId, 2);
        QCOMPARE(reassigned.fitterName, QStringLiteral("Wu"));
        QCOMPARE(reassigned.fitterWorkId, QStringLiteral("W2"));
        QCOMPARE(reassigned.fitterClinic, QStringLiteral("C"));
    }

    void validationOrder_data()
    {
        QTest::addColumn<QString>("orderNumber");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("fitterId");
        QTest::addColumn<int>("problem");
        using P = OrderForm::Problem;
        QTest::newRow("all missing") << ""
                                     << "" << -1 << int(P::OrderNumberMissing);
        QTest::newRow("name and inspector") << "1"
                                            << "" << -1 << int(P::NameMissing);
        QTest::newRow("inspector") << "1"
                                   << "x" << -1 << int(P::InspectorMissing);
        QTest::newRow("inspector id 0 counts") << "1"
                                               << "x" << 0 << int(P::None);
    }

    void validationOrder()
    {
        QFETCH(QString, orderNumber);
        QFETCH(QString, name);
        QFETCH(int, fitterId);
        Customer order;
        order.orderNumber = orderNumber;
        order.name = name;
        order.fitterId = fitterId;
        QTEST(int(OrderForm::validate(order)), "problem");
    }

    void storeReplacesOnlyTheFirstOfCollidingIds()
    {
        QList<Customer> orders(3);
        orders[0].id = 5;
        orders[0].name = "first";
        orders[1].id = 5;
        orders[1].name = "second";
        orders[2].id = -1;
        Customer changed;
        changed.id = 5;
        changed.name = "changed";
        OrderForm::store(orders, changed, true);
        QCOMPARE(orders.size(), 3);
        QCOMPARE(orders[0].name, QStringLiteral("changed"));
        QCOMPARE(orders[1].name, QStringLiteral("second"));

        changed.id = 77; // deleted meanwhile: appended
        OrderForm::store(orders, changed, true);
        QCOMPARE(orders.size(), 4);
        OrderForm::store(orders, changed, false);
        QCOMPARE(orders.size(), 5);
    }

    void createdAtDisplay_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("iso") << "2025-03-03T09:05:07"
                             << "2025.03.03 09:05:07";
        QTest::newRow("with ms and zone") << "2025-03-03T09:05:07.123+02:00"
                                          << "2025.03.03 09:05:07";
        QTest::newRow("date only") << "2025-03-03"
                                   << "2025.03.03";
        QTest::newRow("empty") << ""
                               << "";
    }

    void createdAtDisplay()
    {
        QFETCH(QString, stored);
        QTEST(OrderForm::createdAtForDisplay(stored), "shown");
    }

    void responsiveWidths_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("orderNumber");
        QTest::addColumn<int>("inspector");
        QTest::newRow("wide") << 2500 << 790 << 467;
        QTest::newRow("1920") << 1920 << 632 << 374;
        QTest::newRow("1430") << 1430 << 471 << 278;
        QTest::newRow("lower bound") << 1250 << 411 << 243;
        QTest::newRow("narrow") << 800 << 411 << 243;
    }

    void responsiveWidths()
    {
        QFETCH(int, pageWidth);
        const OrderForm::Widths widths = OrderForm::widthsFor(pageWidth);
        QTEST(widths.orderNumber, "orderNumber");
        QTEST(widths.inspector, "inspector");
    }

    void newInspectorChecks_data()
    {
        QTest::addColumn<QString>("workId");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("problem");
        using P = NewInspector::Problem;
        QTest::newRow("id of spaces") << "   "
                                      << "x" << int(P::IdMissing);
        QTest::newRow("both missing") << ""
                                      << "" << int(P::IdMissing);
        QTest::newRow("name missing") << "A7"
                                      << " " << int(P::NameMissing);
        QTest::newRow("taken") << " A7 "
                               << "x" << int(P::IdTaken);
        QTest::newRow("other case is free") << "a7"
                                            << "x" << int(P::None);
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
        QCOMPARE(made.workId, QStringLiteral("W1"));
        QCOMPARE(made.name, QStringLiteral("Zhao"));
        QCOMPARE(made.gender, QStringLiteral("保密"));
        QCOMPARE(made.workYears, -1);
        QVERIFY(!made.isDefault);
        QCOMPARE(NewInspector::make("W", "N", "男", {}).id, 1);
        QCOMPARE(NewInspector::make("W", "N", "男", {}).gender, QStringLiteral("男"));
    }

    void fitterSearch()
    {
        QList<Fitter> fitters(4);
        fitters[0].name = "anna";
        fitters[1].workId = "ANNA-ID";
        fitters[1].clinicName = "Anna clinic";
        fitters[2].phone = "0151";
        fitters[2].skill = "Kids";
        fitters[3].note = "likes ANNAbelle";
        QCOMPARE(FitterQuery::matching(fitters, "ANNA"), (QList<int>{0, 3}));
        QCOMPARE(FitterQuery::matching(fitters, "kid"), QList<int>{2});
        QCOMPARE(FitterQuery::matching(fitters, "015"), QList<int>{2});
        QCOMPARE(FitterQuery::matching(fitters, ""), (QList<int>{0, 1, 2, 3}));
        QVERIFY(FitterQuery::matching(fitters, "clinic").isEmpty());
    }

    void workOrClinic_data()
    {
        QTest::addColumn<QString>("workId");
        QTest::addColumn<QString>("clinic");
        QTest::addColumn<QString>("shown");
        QTest::newRow("both") << "W1"
                              << "C"
                              << "W1 / C";
        QTest::newRow("work") << "W1"
                              << ""
                              << "W1";
        QTest::newRow("clinic") << ""
                                << "C"
                                << "C";
        QTest::newRow("none") << ""
                              << ""
                              << "-";
    }

    void workOrClinic()
    {
        Fitter fitter;
        QFETCH(QString, workId);
        QFETCH(QString, clinic);
        fitter.workId = workId;
        fitter.clinicName = clinic;
        QTEST(FitterQuery::workOrClinicText(fitter), "shown");
    }

    void genderText()
    {
        QCOMPARE(QLatin1String(FitterQuery::genderText("男").key),
                 QLatin1String("common.gender.male"));
        QCOMPARE(QLatin1String(FitterQuery::genderText("女").key),
                 QLatin1String("common.gender.female"));
        for (const char *other : {"保密", "", "male", "<b>x</b>"})
            QCOMPARE(QLatin1String(FitterQuery::genderText(QString::fromUtf8(other)).key),
                     QLatin1String("common.gender.private"));
    }

    void paging_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0 << 10 << 1 << 1 << 0 << 0;
        QTest::newRow("exactly one page") << 10 << 10 << 1 << 1 << 0 << 10;
        QTest::newRow("eleven, page 2") << 11 << 10 << 2 << 2 << 10 << 1;
        QTest::newRow("25 by 20, page 2") << 25 << 20 << 2 << 2 << 20 << 5;
        QTest::newRow("huge count")
            << std::numeric_limits<int>::max() << 50 << 1 << 42949673 << 0 << 50;
    }

    void paging()
    {
        QFETCH(int, count);
        QFETCH(int, pageSize);
        QFETCH(int, page);
        QTEST(ListPaging::totalPages(count, pageSize), "pages");
        QTEST(ListPaging::firstIndex(page, pageSize), "first");
        QTEST(ListPaging::rowsOnPage(page, count, pageSize), "rows");
    }

    void clampAfterShrinking()
    {
        QCOMPARE(ListPaging::clampPage(3, 11, 10), 2);
        QCOMPARE(ListPaging::clampPage(3, 0, 10), 1);
        QCOMPARE(ListPaging::clampPage(0, 30, 10), 1);
    }

    void jump_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("target");
        QTest::newRow("zero") << "0" << 30 << 0;
        QTest::newRow("negative") << "-3" << 30 << 0;
        QTest::newRow("word") << "abc" << 30 << 0;
        QTest::newRow("empty") << "" << 30 << 0;
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
        const QList<ReportPhoto> photos{{QPixmap::fromImage(image), "20250303_090507_L"},
                                        {QPixmap(), "left_2"},
                                        {QPixmap::fromImage(image), "right_1"}};
        const QStringList entries = ::photoEntries(photos);
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[0].startsWith("20250303_090507_L|"));
        QVERIFY(entries[1].startsWith("right_1|"));
        const QByteArray jpeg = QByteArray::fromBase64(entries[0].section('|', 1).toLatin1(),
                                                       QByteArray::AbortOnBase64DecodingErrors);
        QVERIFY(jpeg.startsWith("\xFF\xD8"));
        QImage decoded;
        QVERIFY(decoded.loadFromData(jpeg));
        QCOMPARE(decoded.size(), QSize(64, 48));
        QVERIFY(!entries[0].contains('\n'));
    }
};

LUMAURAL_TEST_MAIN(TestRecordRules)
#include "tst_recordrules.moc"

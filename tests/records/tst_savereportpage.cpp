#include "records/inspectordialog.h"
#include "records/savereportpage.h"

#include "pagedriver.h"

#include <QTextEdit>

using TestSupport::Answer;

namespace {

Fitter makeFitter(int id, const QString &name)
{
    Fitter fitter;
    fitter.id = id;
    fitter.name = name;
    fitter.workId = QStringLiteral("W%1").arg(id);
    fitter.clinicName = QStringLiteral("Clinic %1").arg(id);
    return fitter;
}

Customer storedOrder(int id)
{
    Customer c;
    c.id = id;
    c.orderNumber = QStringLiteral("N%1").arg(id);
    c.name = QStringLiteral("Customer %1").arg(id);
    c.fitterId = 1;
    return c;
}

void fillRequired(SaveReportPage &page)
{
    child<QLineEdit>(page, "orderNumberEdit")->setText("A-1");
    child<QLineEdit>(page, "nameEdit")->setText("Li Lei");
}

QComboBox *inspectorBox(SaveReportPage &page)
{
    return child<QComboBox>(page, "inspectorBox");
}

} // namespace

class TestSaveReportPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeStoreFiles(); }

    void validationStopsAtTheFirstGap_data()
    {
        QTest::addColumn<QStringList>("numberAndName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("order number") << QStringList{" ", ""} << "Please enter the order number."
                                      << QString("orderNumberEdit");
        QTest::newRow("name") << QStringList{"A-1", "   "} << "Please enter the customer name."
                              << QString("nameEdit");
        QTest::newRow("inspector")
            << QStringList{"A-1", "Li"} << "Please select an inspector." << QString();
    }

    void validationStopsAtTheFirstGap()
    {
        QFETCH(QStringList, numberAndName);
        QFETCH(QString, focused);
        SaveReportPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.reset(SaveReportPage::NewOrder);
        child<QLineEdit>(page, "orderNumberEdit")->setText(numberAndName[0]);
        child<QLineEdit>(page, "nameEdit")->setText(numberAndName[1]);
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        QSignalSpy proceeded(&page, &SaveReportPage::proceedToInspection);
        for (const char *button : {"saveButton", "nextButton"}) {
            const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
            QTest::mouseClick(child<QPushButton>(page, button), Qt::LeftButton);
            QTEST(prompt->text, "message");
            if (!focused.isEmpty())
                QTRY_COMPARE(page.focusWidget()->objectName(), focused);
        }
        QVERIFY(saved.isEmpty() && proceeded.isEmpty());
        QVERIFY(!QFile::exists(customersFilePath()));
    }

    void nextHandsOnWithoutWritingAndSaveWrites()
    {
        QVERIFY(saveCustomers({storedOrder(3), storedOrder(7)}));
        const QByteArray before = TestSupport::readFile(customersFilePath());
        QVERIFY(saveFitters({makeFitter(1, "Zhang"), makeFitter(2, "<i>Wu</i>")}));
        SaveReportPage page;
        auto *next = child<QPushButton>(page, "nextButton");
        for (int mode : {SaveReportPage::FromInspection, SaveReportPage::EditOrder}) {
            page.reset(mode);
            QVERIFY(next->isHidden()); // only a new order goes on to the inspection
        }
        page.reset(SaveReportPage::NewOrder);
        fillRequired(page);
        child<QLineEdit>(page, "orderNumberEdit")->setText("  A-7 ");
        child<QLineEdit>(page, "ageEdit")->setText("abc");
        child<QTextEdit>(page, "notesEdit")->setPlainText("  <b>loud</b>  ");
        QSignalSpy proceeded(&page, &SaveReportPage::proceedToInspection);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(proceeded.size(), 1);
        const Customer draft = proceeded.at(0).at(0).value<Customer>();
        QCOMPARE(draft.id, 8); // one past the largest id in the file
        QCOMPARE(draft.orderNumber, QStringLiteral("A-7"));
        QCOMPARE(draft.gender, QStringLiteral("保密"));
        QCOMPARE(draft.age, -1);
        QCOMPARE(draft.fitterId, 1); // the inspector shown counts as chosen
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);

        QCOMPARE(inspectorBox(page)->itemText(1), QStringLiteral("<i>Wu</i>"));
        inspectorBox(page)->setCurrentIndex(1);
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        QTest::mouseClick(child<QPushButton>(page, "saveButton"), Qt::LeftButton);
        QCOMPARE(saved.size(), 1);
        const Customer emitted = saved.at(0).at(0).value<Customer>();
        QCOMPARE(loadCustomers().size(), 3);
        QCOMPARE(loadCustomers().last().toJson(), emitted.toJson());
        QCOMPARE(emitted.id, 8);
        QCOMPARE(emitted.notes, QStringLiteral("<b>loud</b>"));
        QCOMPARE(emitted.fitterWorkId + emitted.fitterClinic, QStringLiteral("W2Clinic 2"));
        const QDateTime created = QDateTime::fromString(emitted.createdAt, Qt::ISODate);
        QVERIFY(qAbs(created.secsTo(QDateTime::currentDateTime())) < 60);
    }

    void editingKeepsEverythingElse()
    {
        Customer original = storedOrder(5);
        original.createdAt = "2025-03-03T09:05:07";
        original.patientId = "P-1";
        original.diagnosis = "otitis";
        original.photos = {"a|AAAA", "b|BBBB"};
        original.gender = "女";
        original.age = 33;
        original.name = QString(300, QChar('n'));
        original.address = QString(1000, QChar('a'));
        original.fitterId = 9; // an inspector deleted since
        original.fitterName = "Old inspector";
        Customer twin = storedOrder(5);
        twin.name = "same id, untouched";
        QVERIFY(saveCustomers({storedOrder(1), original, twin}));
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));

        QVERIFY(RecordsBackend::current().readOrder(5, &original).ok());
        SaveReportPage page;
        page.reset(SaveReportPage::EditOrder);
        page.loadCustomer(original);
        auto *created = child<QLabel>(page, "createdValue");
        QCOMPARE(created->text(), QStringLiteral("2025.03.03 09:05:07"));
        QCOMPARE(created->textFormat(), Qt::PlainText);
        QCOMPARE(inspectorBox(page)->currentText(), QStringLiteral("Old inspector"));
        child<QLineEdit>(page, "phoneEdit")->setText("0151");
        page.onSaveClicked();
        const QList<Customer> stored = loadCustomers();
        Customer expected = original; // replaced in place, not appended
        expected.phone = "0151";
        QCOMPARE(stored[1].toJson(), expected.toJson());
        QCOMPARE(stored[2].name, QStringLiteral("same id, untouched"));

        // A new order opened afterwards has the usual limits again.
        page.reset(SaveReportPage::NewOrder);
        QCOMPARE(child<QLineEdit>(page, "nameEdit")->maxLength(), 50);
        QCOMPARE(inspectorBox(page)->count(), 1);
    }

    void failedWriteIsReportedAndHandedOverPhotosGoOnlyIntoTheirOrder()
    {
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));
        QVERIFY(QDir().mkpath(customersFilePath())); // a folder where the file belongs
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::blue);
        SaveReportPage page;
        page.setPhotos({{QPixmap::fromImage(image), "20250303_090507_L"},
                        {QPixmap::fromImage(image), "right_1"}});
        page.reset(SaveReportPage::FromInspection);
        fillRequired(page);
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        page.onSaveClicked();
        QCOMPARE(prompt->text,
                 QStringLiteral("Failed to save order. Please check disk permissions."));
        QVERIFY(saved.isEmpty());
        QCOMPARE(child<QLineEdit>(page, "nameEdit")->text(), QStringLiteral("Li Lei"));

        QVERIFY(QDir(customersFilePath()).removeRecursively());
        page.onSaveClicked();
        QCOMPARE(saved.size(), 1);
        const QStringList photos = StoredPhoto::entries(loadCustomers().last().photos);
        QCOMPARE(photos.size(), 2);
        QVERIFY(photos[0].startsWith("20250303_090507_L|/9j/"));
        QVERIFY(photos[1].startsWith("right_1|"));

        page.reset(SaveReportPage::NewOrder);
        fillRequired(page);
        page.onSaveClicked();
        QVERIFY(loadCustomers().last().photos.isEmpty());
    }

    void unreadableFittersAreNeitherChosenNorRewritten()
    {
        TestSupport::writeFile(fittersFilePath(), "{ not json");
        SaveReportPage page;
        page.reset(SaveReportPage::NewOrder);
        QCOMPARE(inspectorBox(page)->count(), 1);
        QCOMPARE(page.selectedFitterId(), -1);
        bool opened = false;
        whenModalShown<InspectorDialog>([&opened](InspectorDialog *dialog) {
            opened = true;
            dialog->reject();
        });
        page.onChooseInspectorClicked(); // nothing to choose from: offers a new one
        QVERIFY(opened);
        QCOMPARE(TestSupport::readFile(fittersFilePath()), QByteArray("{ not json"));
    }

    void newInspectorIsChosenAndStaysForLaterOrders()
    {
        QVERIFY(saveFitters({makeFitter(4, "Zhang")}));
        SaveReportPage page;
        page.resize(1200, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.reset(SaveReportPage::NewOrder);
        whenModalShown<InspectorDialog>([](InspectorDialog *dialog) {
            child<QLineEdit>(*dialog, "inspectorIdEdit")->setText(" W-77 ");
            child<QLineEdit>(*dialog, "inspectorNameEdit")->setText("Sun");
            child<QPushButton>(*dialog, "inspectorOkButton")->click();
        });
        QTest::mouseClick(child<QPushButton>(page, "newInspectorButton"), Qt::LeftButton);
        QCOMPARE(page.selectedFitterId(), 5);
        QCOMPARE(loadFitters().last().workId, QStringLiteral("W-77"));
        page.reset(SaveReportPage::NewOrder);
        QCOMPARE(inspectorBox(page)->currentText(), QStringLiteral("Sun"));

        QVERIFY(saveFitters({makeFitter(4, "Zhang")})); // Sun was deleted
        page.reset(SaveReportPage::NewOrder);
        QCOMPARE(page.selectedFitterId(), 4);
        QSignalSpy back(&page, &SaveReportPage::backRequested);
        QTest::mouseClick(child<QPushButton>(page, "saveReportBackButton"), Qt::LeftButton);
        QCOMPARE(back.size(), 1);
    }

    // Runs last: it loads the shipped packs into the process-wide manager.
    void followsTheLanguageKeepingTheChoices()
    {
        SaveReportPage page;
        page.reset(SaveReportPage::NewOrder);
        auto *gender = child<QComboBox>(page, "genderBox");
        gender->setCurrentIndex(2);
        QVERIFY(useShippedLanguage("de_DE"));
        QCOMPARE(gender->currentText(), QStringLiteral("Weiblich"));
        QCOMPARE(gender->currentData().toString(), QStringLiteral("女"));
        QCOMPARE(inspectorBox(page)->currentText(), QStringLiteral("Prüfer wählen"));
        QVERIFY(useShippedLanguage("zh_CN"));
        QCOMPARE(gender->currentText(), QStringLiteral("女"));
    }
};

LUMAURAL_TEST_MAIN(TestSaveReportPage)
#include "tst_savereportpage.moc"

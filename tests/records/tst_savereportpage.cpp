#include "i18n/langmanager.h"
#include "records/inspectordialog.h"
#include "records/jsonfilestore.h"
#include "records/recordstore.h"
#include "records/savereportpage.h"

#include "common/testsupport.h"
#include "modaldriver.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>

using TestSupport::Answer;

namespace {

template <typename T> T *child(QWidget &parent, const char *name)
{
    auto *widget = parent.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

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

} // namespace

class TestSaveReportPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        const QDir dir(JsonFileStore::dataDirectory());
        QDir(customersFilePath()).removeRecursively();
        QFile::remove(customersFilePath());
        QFile::remove(fittersFilePath());
        for (const QString &name : dir.entryList({"*.unreadable-*"}, QDir::Files))
            QFile::remove(dir.filePath(name));
    }

    void nextOnlyForNewOrders_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("nextShown");
        QTest::newRow("from inspection") << 0 << false;
        QTest::newRow("new order") << 1 << true;
        QTest::newRow("edit") << 2 << false;
    }

    void nextOnlyForNewOrders()
    {
        QFETCH(int, mode);
        SaveReportPage page;
        page.reset(mode);
        QCOMPARE(page.mode(), mode);
        QTEST(!child<QPushButton>(page, "nextButton")->isHidden(), "nextShown");
        const QString saveStyle = child<QPushButton>(page, "saveButton")->styleSheet();
        QCOMPARE(saveStyle.contains("color: #585656"), mode == 0);
    }

    void validationStopsAtTheFirstGap_data()
    {
        QTest::addColumn<QString>("orderNumber");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("order number") << " "
                                      << ""
                                      << "Please enter the order number."
                                      << "orderNumberEdit";
        QTest::newRow("name") << "A-1"
                              << "   "
                              << "Please enter the customer name."
                              << "nameEdit";
        QTest::newRow("inspector") << "A-1"
                                   << "Li"
                                   << "Please select an inspector."
                                   << "";
    }

    void validationStopsAtTheFirstGap()
    {
        QFETCH(QString, orderNumber);
        QFETCH(QString, name);
        SaveReportPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.reset(1);
        child<QLineEdit>(page, "orderNumberEdit")->setText(orderNumber);
        child<QLineEdit>(page, "nameEdit")->setText(name);
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        QSignalSpy proceeded(&page, &SaveReportPage::proceedToInspection);
        for (const char *button : {"saveButton", "nextButton"}) {
            const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
            QTest::mouseClick(child<QPushButton>(page, button), Qt::LeftButton);
            QVERIFY(prompt->seen);
            QTEST(prompt->text, "message");
            QFETCH(QString, focused);
            if (!focused.isEmpty())
                QTRY_COMPARE(page.focusWidget()->objectName(), focused);
        }
        QVERIFY(saved.isEmpty());
        QVERIFY(proceeded.isEmpty());
        QVERIFY(!QFile::exists(customersFilePath()));
    }

    void savingANewOrder()
    {
        QVERIFY(saveCustomers({storedOrder(3), storedOrder(7)}));
        QVERIFY(saveFitters({makeFitter(1, "Zhang"), makeFitter(2, "<i>Wu</i>")}));
        SaveReportPage page;
        page.show();
        page.reset(1);
        auto *inspectors = child<QComboBox>(page, "inspectorBox");
        QCOMPARE(inspectors->count(), 2);
        QCOMPARE(inspectors->itemText(1), QStringLiteral("<i>Wu</i>"));
        inspectors->setCurrentIndex(1);
        fillRequired(page);
        child<QLineEdit>(page, "ageEdit")->setText("abc");
        child<QTextEdit>(page, "notesEdit")->setPlainText("  <b>loud</b>  ");
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QTest::mouseClick(child<QPushButton>(page, "saveButton"), Qt::LeftButton);
        QCOMPARE(saved.size(), 1);

        const Customer emitted = saved.at(0).at(0).value<Customer>();
        const QList<Customer> stored = loadCustomers();
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.last().toJson(), emitted.toJson());
        QCOMPARE(emitted.id, 8);
        QCOMPARE(emitted.gender, QStringLiteral("保密"));
        QCOMPARE(emitted.age, -1);
        QCOMPARE(emitted.notes, QStringLiteral("<b>loud</b>"));
        QCOMPARE(emitted.fitterId, 2);
        QCOMPARE(emitted.fitterWorkId, QStringLiteral("W2"));
        QCOMPARE(emitted.fitterClinic, QStringLiteral("Clinic 2"));
        const QDateTime created = QDateTime::fromString(emitted.createdAt, Qt::ISODate);
        QVERIFY(created.isValid() && created >= before.addSecs(-1));
        QVERIFY(emitted.photos.isEmpty());
    }

    void nextHandsOnWithoutWriting()
    {
        QVERIFY(saveCustomers({storedOrder(4)}));
        const QByteArray before = TestSupport::readFile(customersFilePath());
        QVERIFY(saveFitters({makeFitter(6, "Zhang")}));
        SaveReportPage page;
        page.show();
        page.reset(1);
        fillRequired(page);
        child<QComboBox>(page, "genderBox")->setCurrentIndex(1);
        child<QLineEdit>(page, "ageEdit")->setText(" 42 ");
        QSignalSpy proceeded(&page, &SaveReportPage::proceedToInspection);
        QTest::mouseClick(child<QPushButton>(page, "nextButton"), Qt::LeftButton);
        QCOMPARE(proceeded.size(), 1);
        const Customer draft = proceeded.at(0).at(0).value<Customer>();
        QCOMPARE(draft.id, 5);
        QCOMPARE(draft.gender, QStringLiteral("男"));
        QCOMPARE(draft.age, 42);
        QCOMPARE(draft.fitterId, 6); // the inspector shown counts as chosen
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);
    }

    void editingKeepsEverythingElse()
    {
        Customer original = storedOrder(5);
        original.createdAt = "2025-03-03T09:05:07";
        original.patientId = "P-1";
        original.email = "a@b.c";
        original.diagnosis = "otitis";
        original.photos = {"a|AAAA", "b|BBBB"};
        original.gender = "女";
        original.age = 33;
        original.notes = "<b>bold?</b>";
        original.name = QString(300, QChar('n'));
        original.address = QString(1000, QChar('a'));
        original.fitterId = 9; // an inspector deleted since
        original.fitterName = "Old inspector";
        original.fitterWorkId = "W9";
        Customer twin = storedOrder(5);
        twin.name = "same id, untouched";
        QVERIFY(saveCustomers({storedOrder(1), original, twin}));
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));

        SaveReportPage page;
        page.reset(2);
        page.loadCustomer(original);
        QCOMPARE(page.mode(), 2);
        QCOMPARE(child<QLabel>(page, "createdValue")->text(),
                 QStringLiteral("2025.03.03 09:05:07"));
        QCOMPARE(child<QLabel>(page, "createdValue")->textFormat(), Qt::PlainText);
        QCOMPARE(child<QComboBox>(page, "genderBox")->currentIndex(), 2);
        QCOMPARE(child<QLineEdit>(page, "ageEdit")->text(), QStringLiteral("33"));
        auto *inspectors = child<QComboBox>(page, "inspectorBox");
        QCOMPARE(inspectors->currentText(), QStringLiteral("Old inspector"));

        child<QLineEdit>(page, "phoneEdit")->setText("0151");
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        page.onSaveClicked();
        QCOMPARE(saved.size(), 1);
        const QList<Customer> stored = loadCustomers();
        QCOMPARE(stored.size(), 3);
        Customer expected = original;
        expected.phone = "0151";
        QCOMPARE(stored[1].toJson(), expected.toJson());
        QCOMPARE(stored[2].name, QStringLiteral("same id, untouched"));

        // A new order opened afterwards has the usual limits again.
        page.reset(1);
        QCOMPARE(child<QLineEdit>(page, "nameEdit")->maxLength(), 50);
        QCOMPARE(inspectors->count(), 1);
    }

    void editOfADeletedOrderAppendsIt()
    {
        SaveReportPage page;
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));
        Customer gone = storedOrder(12);
        page.reset(2);
        page.loadCustomer(gone);
        page.onSaveClicked();
        QCOMPARE(loadCustomers().size(), 1);
        QCOMPARE(loadCustomers().first().id, 12);
    }

    void handedOverPhotosGoOnlyIntoTheirOrder()
    {
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::blue);
        SaveReportPage page;
        page.setPhotos({{QPixmap::fromImage(image), "20250303_090507_L"},
                        {QPixmap::fromImage(image), "right_1"}});
        page.reset(0);
        QCOMPARE(page.photos().size(), 2);
        fillRequired(page);
        page.onSaveClicked();
        const Customer saved = loadCustomers().last();
        QCOMPARE(saved.photos.size(), 2);
        QVERIFY(saved.photos[0].startsWith("20250303_090507_L|/9j/"));
        QVERIFY(saved.photos[1].startsWith("right_1|"));

        page.reset(1);
        fillRequired(page);
        page.onSaveClicked();
        QVERIFY(loadCustomers().last().photos.isEmpty());
    }

    void failedWriteIsReportedAndNothingEmitted()
    {
        QVERIFY(saveFitters({makeFitter(1, "Zhang")}));
        QVERIFY(QDir().mkpath(customersFilePath())); // a folder where the file belongs
        SaveReportPage page;
        page.reset(1);
        fillRequired(page);
        QSignalSpy saved(&page, &SaveReportPage::reportSaved);
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        page.onSaveClicked();
        QCOMPARE(prompt->text,
                 QStringLiteral("Failed to save order. Please check disk permissions."));
        QVERIFY(saved.isEmpty());
        QCOMPARE(child<QLineEdit>(page, "nameEdit")->text(), QStringLiteral("Li Lei"));
    }

    void unreadableFittersLeaveOnlyThePlaceholder()
    {
        TestSupport::writeFile(fittersFilePath(), "{ not json");
        SaveReportPage page;
        page.reset(1);
        auto *inspectors = child<QComboBox>(page, "inspectorBox");
        QCOMPARE(inspectors->count(), 1);
        QCOMPARE(inspectors->currentText(), QStringLiteral("Select inspector"));
        fillRequired(page);
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        page.onSaveClicked();
        QCOMPARE(prompt->text, QStringLiteral("Please select an inspector."));
        QCOMPARE(TestSupport::readFile(fittersFilePath()), QByteArray("{ not json"));
    }

    void chosenInspectorStaysForLaterOrders()
    {
        QVERIFY(saveFitters({makeFitter(1, "Zhang"), makeFitter(2, "Wu"), makeFitter(3, "Li")}));
        SaveReportPage page;
        page.reset(1);
        child<QComboBox>(page, "inspectorBox")->setCurrentIndex(2);
        QCOMPARE(page.selectedFitterId(), 3);
        page.reset(1);
        QCOMPARE(child<QComboBox>(page, "inspectorBox")->currentText(), QStringLiteral("Li"));

        QVERIFY(saveFitters({makeFitter(1, "Zhang")})); // Li was deleted
        page.reset(1);
        QCOMPARE(page.selectedFitterId(), 1);
    }

    void newInspectorIsCreatedAndChosen()
    {
        QVERIFY(saveFitters({makeFitter(4, "Zhang")}));
        SaveReportPage page;
        page.resize(1200, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.reset(1);
        whenModalShown<InspectorDialog>([](InspectorDialog *dialog) {
            dialog->findChild<QLineEdit *>("inspectorIdEdit")->setText(" W-77 ");
            dialog->findChild<QLineEdit *>("inspectorNameEdit")->setText("Sun");
            dialog->findChild<QComboBox *>("inspectorGenderBox")->setCurrentIndex(2);
            dialog->findChild<QPushButton *>("inspectorOkButton")->click();
        });
        QTest::mouseClick(child<QPushButton>(page, "newInspectorButton"), Qt::LeftButton);
        QCOMPARE(page.selectedFitterId(), 5);
        QCOMPARE(child<QComboBox>(page, "inspectorBox")->currentText(), QStringLiteral("Sun"));
        const Fitter created = loadFitters().last();
        QCOMPARE(created.workId, QStringLiteral("W-77"));
        QCOMPARE(created.gender, QStringLiteral("女"));
    }

    void chooseWithoutFittersOpensTheDialog()
    {
        SaveReportPage page;
        page.reset(1);
        bool opened = false;
        whenModalShown<InspectorDialog>([&opened](InspectorDialog *dialog) {
            opened = true;
            dialog->reject();
        });
        page.onChooseInspectorClicked();
        QVERIFY(opened);
        QVERIFY(!QFile::exists(fittersFilePath()));
    }

    void narrowPagesPutThePersonFieldsOnTwoRows()
    {
        SaveReportPage page;
        page.resize(1600, 900);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *gender = child<QComboBox>(page, "genderBox");
        auto *birth = child<QLineEdit>(page, "birthDateEdit");
        QTRY_COMPARE(birth->y(), gender->y());
        QVERIFY(birth->width() >= 170);
        page.resize(900, 900);
        QTRY_VERIFY(birth->y() > gender->y());
        QCOMPARE(birth->x(), gender->x());
        QCOMPARE(child<QLineEdit>(page, "orderNumberEdit")->width(), 411);
        page.resize(1600, 900);
        QTRY_COMPARE(birth->y(), gender->y());
        QCOMPARE(child<QComboBox>(page, "inspectorBox")->width(), 311);
    }

    void backOnlyAsks()
    {
        SaveReportPage page;
        page.show();
        QSignalSpy back(&page, &SaveReportPage::backRequested);
        QTest::mouseClick(child<QPushButton>(page, "saveReportBackButton"), Qt::LeftButton);
        QCOMPARE(back.size(), 1);
    }

    // Runs last: it loads the shipped packs into the process-wide manager.
    void followsTheLanguageKeepingTheChoices()
    {
        SaveReportPage page;
        page.reset(1);
        auto *gender = child<QComboBox>(page, "genderBox");
        auto *inspectors = child<QComboBox>(page, "inspectorBox");
        gender->setCurrentIndex(2);
        QVERIFY(LangManager::instance()->loadLanguagePacks(QStringLiteral(LUMAURAL_SOURCE_DIR) +
                                                           "/i18n/languages"));
        LangManager::instance()->setLanguage("de_DE");
        QCOMPARE(gender->currentIndex(), 2);
        QCOMPARE(gender->currentText(), QStringLiteral("Weiblich"));
        QCOMPARE(gender->currentData().toString(), QStringLiteral("女"));
        QCOMPARE(inspectors->currentText(), QStringLiteral("Prüfer wählen"));
        QVERIFY(child<QLabel>(page, "nameLabel")->text().contains("Name"));
        LangManager::instance()->setLanguage("zh_CN");
        QCOMPARE(gender->currentText(), QStringLiteral("女"));
    }
};

LUMAURAL_TEST_MAIN(TestSaveReportPage)
#include "tst_savereportpage.moc"

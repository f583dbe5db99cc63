// The order form, the inspector dialog, and the fitter list with its dialog.
#include "records/fitterdialog.h"
#include "records/fitterpage.h"
#include "records/inspectordialog.h"
#include "records/savereportpage.h"
#include "ui/common/fittertableheader.h"

#include "pagedriver.h"

#include <QCheckBox>
#include <QTableWidget>
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

void fill(InspectorDialog &dialog, const QString &id, const QString &name, int genderIndex = 0)
{
    child<QLineEdit>(dialog, "inspectorIdEdit")->setText(id);
    child<QLineEdit>(dialog, "inspectorNameEdit")->setText(name);
    child<QComboBox>(dialog, "inspectorGenderBox")->setCurrentIndex(genderIndex);
}

QList<Fitter> numberedFitters(int count)
{
    QList<Fitter> fitters;
    for (int i = 1; i <= count; ++i)
        fitters.append(
            {i, QStringLiteral("fitter %1").arg(i), "", "", "", -1, "保密", "", "", false});
    return fitters;
}

QCheckBox *rowCheck(FitterPage &page, int row)
{
    return page.table()->cellWidget(row, 0)->findChild<QCheckBox *>();
}

QPushButton *rowEdit(FitterPage &page, int row)
{
    return page.table()->cellWidget(row, 5)->findChild<QPushButton *>();
}

QString cell(FitterPage &page, int row, int column)
{
    return page.table()->item(row, column)->text();
}

bool genderSelected(FitterDialog &dialog, const char *button)
{
    return child<QPushButton>(dialog, button)->property("selected").toBool();
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
            fill(*dialog, " W-77 ", "Sun");
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

    void inspectorRefusalsThenCancelWriteNothing_data()
    {
        QTest::addColumn<QStringList>("idAndName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("id of spaces")
            << QStringList{"   ", "Sun"} << "请输入检查人ID。" << QString("inspectorIdEdit");
        QTest::newRow("no name") << QStringList{"W1", " "} << "请输入检查人姓名。"
                                 << QString("inspectorNameEdit");
        QTest::newRow("taken id") << QStringList{" W1 ", "Sun"} << "检查人ID已存在，请重新输入。"
                                  << QString("inspectorIdEdit");
    }

    void inspectorRefusalsThenCancelWriteNothing()
    {
        QVERIFY(saveFitters({{3, "Old", "W1", "", "", -1, "", "", "", false}}));
        const QByteArray before = TestSupport::readFile(fittersFilePath());
        QFETCH(QStringList, idAndName);
        InspectorDialog dialog;
        fill(dialog, idAndName[0], idAndName[1]);
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        dialog.onConfirm();
        QTEST(prompt->text, "message");
        QTEST(dialog.focusWidget()->objectName(), "focused");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.show();
        QTest::mouseClick(child<QPushButton>(dialog, "inspectorCancelButton"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(TestSupport::readFile(fittersFilePath()), before);
    }

    void newInspectorsKeepRecordsTheyDidNotTouch()
    {
        TestSupport::writeFile(fittersFilePath(),
                               "{\"fitters\": [{\"id\": 9, \"workId\": 5, \"name\": null}, 17]}");
        InspectorDialog dialog;
        fill(dialog, " A7 ", " <b>Sun</b> ");
        dialog.onConfirm();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const Fitter created = dialog.createdFitter();
        QCOMPARE(created.id, 10);
        QCOMPARE(created.workId + created.name + created.gender,
                 QStringLiteral("A7<b>Sun</b>保密"));
        const QList<Fitter> stored = loadFitters();
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored[0].id, 9);
        QCOMPARE(stored.last().toJson(), created.toJson());

        InspectorDialog second;
        fill(second, "a7", "Wu", 1); // another letter case is another ID
        second.onConfirm();
        QCOMPARE(second.createdFitter().id, 11);
        QCOMPARE(loadFitters().last().gender, QStringLiteral("男"));
    }

    void failedInspectorWriteKeepsTheDialogOpen()
    {
        QVERIFY(QDir().mkpath(fittersFilePath())); // a folder where the file belongs
        InspectorDialog dialog;
        fill(dialog, "W", "Sun");
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        dialog.onConfirm();
        QCOMPARE(prompt->text, QStringLiteral("检查人保存失败，请检查磁盘权限。"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(child<QLineEdit>(dialog, "inspectorNameEdit")->text(), QStringLiteral("Sun"));
    }

    void pagingSearchAndReset()
    {
        QList<Fitter> fitters = numberedFitters(11);
        fitters[0].name = "anna";
        fitters[10].note = "Anna's colleague";
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        QCOMPARE(child<QLabel>(page, "fitterTotalPagesLabel")->text(), QStringLiteral("共 2 页"));
        auto *pageEdit = child<QLineEdit>(page, "fitterPageEdit");
        pageEdit->setText("99");
        QTest::keyClick(pageEdit, Qt::Key_Return);
        QCOMPARE(cell(page, 0, 1), QStringLiteral("11")); // numbered across pages
        child<QComboBox>(page, "fitterPageSizeBox")->setCurrentIndex(1);
        QCOMPARE(page.table()->rowCount(), 11);

        auto *search = child<QLineEdit>(page, "fitterSearchEdit");
        search->setText("  ANNA ");
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(cell(page, 1, 2), QStringLiteral("fitter 11"));
        child<QPushButton>(page, "fitterResetButton")->click();
        QVERIFY(search->text().isEmpty());
        QCOMPARE(page.table()->rowCount(), 11);
    }

    void deletingRemovesExactlyTheTickedRows()
    {
        QList<Fitter> fitters = numberedFitters(12);
        fitters[11].id = 1; // a hand-edited file: a twin of the first
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        page.resize(900, 700);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *deleteButton = child<QPushButton>(page, "fitterBatchDeleteButton");
        auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        deleteButton->click();
        QCOMPARE(prompt->text, QStringLiteral("请至少勾选一位验配师！"));

        child<QLineEdit>(page, "fitterPageEdit")->setText("2");
        page.onGoClicked();
        auto *header = qobject_cast<FitterTableHeader *>(page.table()->horizontalHeader());
        const auto clickSection = [header](int section) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(section) + 5, header->height() / 2});
        };
        clickSection(2); // an ordinary header click
        QVERIFY(!rowCheck(page, 0)->isChecked());
        clickSection(0); // ticks the page
        prompt = TestSupport::answerNextPrompt(Answer::Cancel);
        deleteButton->click();
        QCOMPARE(prompt->text, QStringLiteral("确定要删除选中的 2 位验配师吗？"));
        QCOMPARE(loadFitters().size(), 12);

        prompt = TestSupport::answerNextPrompt(Answer::Ok);
        deleteButton->click();
        QVERIFY(prompt->seen);
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(loadFitters().size(), 10);
        QCOMPARE(loadFitters().first().name, QStringLiteral("fitter 1"));
        QCOMPARE(loadFitters().last().name, QStringLiteral("fitter 10"));
        QVERIFY(!header->isChecked()); // the refresh clears the ticks
        QVERIFY(!rowCheck(page, 0)->isChecked());
    }

    void addingTakesTheNextIdAndEditingKeepsTheHiddenFields()
    {
        const Fitter f{7, "Old", "W7", " Clinic ", "0151", 12, "女", "kids", "note", true};
        QVERIFY(saveFitters({f, {-4, "Neg", "", "", "", -1, "", "", "", false}}));
        FitterPage page;
        page.resize(1000, 700);
        page.show();
        whenModalShown<FitterDialog>([](FitterDialog *dialog) {
            child<QLineEdit>(*dialog, "fitterNameEdit")->setText("  Neu ");
            child<QLineEdit>(*dialog, "fitterWorkEdit")->setText(" W-1 ");
            child<QPushButton>(*dialog, "fitterDialogOkButton")->click();
        });
        QTest::mouseClick(child<QPushButton>(page, "fitterAddButton"), Qt::LeftButton);
        const Fitter added = loadFitters().last();
        QCOMPARE(added.id, 8);
        QCOMPARE(added.name + added.workId + added.gender, QStringLiteral("NeuW-1保密"));
        QCOMPARE(page.table()->rowCount(), 3);
        whenModalShown<FitterDialog>([](FitterDialog *dialog) { dialog->reject(); });
        page.onAddClicked();
        QCOMPARE(loadFitters().size(), 3);

        whenModalShown<FitterDialog>([](FitterDialog *dialog) {
            QVERIFY(genderSelected(*dialog, "genderFemaleButton"));
            child<QLineEdit>(*dialog, "fitterNameEdit")->setText("New");
            child<QPushButton>(*dialog, "genderMaleButton")->click();
            child<QPushButton>(*dialog, "fitterDialogOkButton")->click();
        });
        QTest::mouseClick(rowEdit(page, 0), Qt::LeftButton);
        Fitter expected = f;
        expected.name = "New";
        expected.gender = "男";
        expected.clinicName = "Clinic";
        QCOMPARE(loadFitters().first().toJson(), expected.toJson());
        QCOMPARE(cell(page, 0, 2), QStringLiteral("New"));
    }

    void dialogRefusesEmptyNamesAndKeepsOddGenders()
    {
        FitterDialog add(nullptr, false, Fitter());
        QVERIFY(genderSelected(add, "genderPrivateButton"));
        child<QLineEdit>(add, "fitterNameEdit")->setText("   ");
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        add.onConfirm();
        QCOMPARE(prompt->text, QStringLiteral("姓名不能为空！"));
        QCOMPARE(add.result(), int(QDialog::Rejected));
        QCOMPARE(add.focusWidget()->objectName(), QStringLiteral("fitterNameEdit"));

        // An unknown stored gender selects nothing and stays unless clicked.
        Fitter odd;
        odd.name = QString(40000, QChar('n'));
        odd.gender = "other";
        FitterDialog edit(nullptr, true, odd);
        for (const char *name : {"genderMaleButton", "genderFemaleButton", "genderPrivateButton"})
            QVERIFY(!genderSelected(edit, name));
        edit.onConfirm();
        QCOMPARE(edit.fitter().gender, QStringLiteral("other"));
        QCOMPARE(edit.fitter().name.size(), 40000);
    }

    void failedWriteIsReportedAndUndone()
    {
        QVERIFY(saveFitters(numberedFitters(2)));
        FitterPage page;
        QFile::remove(fittersFilePath());
        QVERIFY(QDir().mkpath(fittersFilePath())); // a folder where the file belongs
        rowCheck(page, 0)->setChecked(true);
        TestSupport::answerNextPrompt(Answer::Ok);
        const auto failure = TestSupport::answerNextPrompt(Answer::Ok);
        page.onBatchDeleteClicked();
        QTRY_COMPARE(failure->text, QStringLiteral("检查人保存失败，请检查磁盘权限。"));
        QCOMPARE(page.allFitters().size(), 2);
        QCOMPARE(page.table()->rowCount(), 2);
    }

    void badFileLoadsWithDefaultsAndIsNotRewritten()
    {
        const QByteArray bad = "{\"fitters\": [{\"id\": \"7\", \"name\": 5, \"gender\": 3, "
                               "\"workYears\": 2.5}, 42, {\"name\": \"" +
                               QByteArray(5000, 'x') + "\"}]}";
        TestSupport::writeFile(fittersFilePath(), bad);
        FitterPage page;
        QCOMPARE(page.table()->rowCount(), 3);
        QCOMPARE(cell(page, 2, 2).size(), 5000);
        page.onEditClicked(12345); // no such fitter: nothing opens
        page.onQueryClicked();
        QCOMPARE(TestSupport::readFile(fittersFilePath()), bad);
    }

    // The last two load the shipped packs into the process-wide manager.
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

    void rowsShowPlainTextAndFollowTheLanguage()
    {
        QVERIFY(saveFitters({{4, "<b>x</b>", "W4", "Clinic", "", -1, "男", "", "", false},
                             {8, "Anna", "", "", "", -1, "女", "", "", false},
                             {9, "Bob", "", "Shop", "", -1, "unknown", "", "", false}}));
        FitterPage page;
        QCOMPARE(cell(page, 0, 1), QStringLiteral("1"));
        QCOMPARE(cell(page, 0, 2), QStringLiteral("<b>x</b>"));
        QCOMPARE(cell(page, 0, 3), QStringLiteral("W4 / Clinic"));
        QCOMPARE(cell(page, 1, 3), QStringLiteral("-"));
        QCOMPARE(cell(page, 2, 3), QStringLiteral("Shop"));
        QCOMPARE(cell(page, 0, 4) + cell(page, 1, 4) + cell(page, 2, 4),
                 QStringLiteral("男女保密"));
        QVERIFY(useShippedLanguage("en_US"));
        QCOMPARE(page.table()->horizontalHeaderItem(2)->text(), QStringLiteral("Name"));
        QCOMPARE(cell(page, 0, 4), QStringLiteral("Male"));
        QCOMPARE(rowEdit(page, 0)->text(), QStringLiteral("Edit"));
        // Longer words widen the fixed columns instead of being cut off.
        QVERIFY(page.table()->horizontalHeader()->sectionSize(4) >=
                page.fontMetrics().horizontalAdvance(cell(page, 2, 4)));
        QVERIFY(useShippedLanguage("zh_CN"));
        QCOMPARE(cell(page, 0, 4), QStringLiteral("男"));
    }
};

LUMAURAL_TEST_MAIN(TestSaveReportPage)
#include "tst_savereportpage.moc"

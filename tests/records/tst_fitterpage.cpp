#include "records/fitterdialog.h"
#include "records/fitterpage.h"
#include "ui/common/fittertableheader.h"

#include "pagedriver.h"

#include <QCheckBox>
#include <QTableWidget>

using TestSupport::Answer;

namespace {

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

class TestFitterPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeStoreFiles(); }

    void pagingAndGo()
    {
        QVERIFY(saveFitters(numberedFitters(11)));
        FitterPage page;
        QCOMPARE(child<QLabel>(page, "fitterTotalPagesLabel")->text(), QStringLiteral("共 2 页"));
        auto *pageEdit = child<QLineEdit>(page, "fitterPageEdit");
        pageEdit->setText("0");
        child<QPushButton>(page, "fitterGoButton")->click();
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(pageEdit->text(), QStringLiteral("0"));
        pageEdit->setText("99");
        QTest::keyClick(pageEdit, Qt::Key_Return);
        QCOMPARE(child<QLabel>(page, "fitterCurrentPageLabel")->text(), QStringLiteral("2"));
        QCOMPARE(cell(page, 0, 1), QStringLiteral("11"));
        QVERIFY(pageEdit->text().isEmpty());
        // A larger page size returns to page 1 with every row.
        child<QComboBox>(page, "fitterPageSizeBox")->setCurrentIndex(1);
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(page.table()->rowCount(), 11);
    }

    void searchAndReset()
    {
        QList<Fitter> fitters = numberedFitters(3);
        fitters[0].name = "anna";
        fitters[2].note = "Anna's colleague";
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        auto *search = child<QLineEdit>(page, "fitterSearchEdit");
        search->setText("  ANNA ");
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(cell(page, 1, 2), QStringLiteral("fitter 3"));
        child<QPushButton>(page, "fitterResetButton")->click();
        QVERIFY(search->text().isEmpty());
        QCOMPARE(page.table()->rowCount(), 3);
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
        QCOMPARE(cell(page, 0, 2), QString());
        QCOMPARE(cell(page, 0, 4), QStringLiteral("保密"));
        QCOMPARE(cell(page, 2, 2).size(), 5000);
        page.onEditClicked(12345); // no such fitter: nothing opens
        page.onQueryClicked();
        QCOMPARE(TestSupport::readFile(fittersFilePath()), bad);
    }

    // Runs last: it loads the shipped packs into the process-wide manager.
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

LUMAURAL_TEST_MAIN(TestFitterPage)
#include "tst_fitterpage.moc"

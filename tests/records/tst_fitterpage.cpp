#include "i18n/langmanager.h"
#include "records/fitterdialog.h"
#include "records/fitterpage.h"
#include "records/recordstore.h"
#include "ui/common/fittertableheader.h"

#include "common/testsupport.h"
#include "modaldriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using TestSupport::Answer;

namespace {

QList<Fitter> numberedFitters(int count)
{
    QList<Fitter> fitters;
    for (int i = 1; i <= count; ++i) {
        Fitter f;
        f.id = i;
        f.name = QStringLiteral("fitter %1").arg(i);
        fitters.append(f);
    }
    return fitters;
}

template <typename T> T *child(QWidget &parent, const char *name)
{
    auto *widget = parent.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
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

} // namespace

class TestFitterPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(fittersFilePath()).removeRecursively();
        QFile::remove(fittersFilePath());
    }

    void emptyList()
    {
        FitterPage page;
        QCOMPARE(page.table()->rowCount(), 0);
        QCOMPARE(child<QLabel>(page, "fitterTotalPagesLabel")->text(), QStringLiteral("共 1 页"));
        QCOMPARE(child<QLabel>(page, "fitterCurrentPageLabel")->text(), QStringLiteral("1"));
    }

    void rowsShowTheirFitter()
    {
        QList<Fitter> fitters(3);
        fitters[0] = {4, "<b>x</b>", "W4", "Clinic", "", -1, "男", "", "", false};
        fitters[1] = {8, "Anna", "", "", "", -1, "女", "", "", false};
        fitters[2] = {9, "Bob", "", "Shop", "", -1, "unknown", "", "", false};
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        QCOMPARE(page.table()->rowCount(), 3);
        QCOMPARE(cell(page, 0, 1), QStringLiteral("1"));
        QCOMPARE(cell(page, 0, 2), QStringLiteral("<b>x</b>"));
        QCOMPARE(cell(page, 0, 3), QStringLiteral("W4 / Clinic"));
        QCOMPARE(cell(page, 0, 4), QStringLiteral("男"));
        QCOMPARE(cell(page, 1, 3), QStringLiteral("-"));
        QCOMPARE(cell(page, 1, 4), QStringLiteral("女"));
        QCOMPARE(cell(page, 2, 3), QStringLiteral("Shop"));
        QCOMPARE(cell(page, 2, 4), QStringLiteral("保密"));
        QCOMPARE(rowCheck(page, 1)->objectName(), QStringLiteral("cb_8"));
    }

    void pagingAndGo()
    {
        QVERIFY(saveFitters(numberedFitters(11)));
        FitterPage page;
        QCOMPARE(page.table()->rowCount(), 10);
        QCOMPARE(child<QLabel>(page, "fitterTotalPagesLabel")->text(), QStringLiteral("共 2 页"));

        auto *pageEdit = child<QLineEdit>(page, "fitterPageEdit");
        auto *go = child<QPushButton>(page, "fitterGoButton");
        for (const char *bad : {"0", "-3", "abc", ""}) {
            pageEdit->setText(QLatin1String(bad));
            go->click();
            QCOMPARE(page.currentPage(), 1);
            QCOMPARE(pageEdit->text(), QLatin1String(bad));
        }
        pageEdit->setText("2");
        QTest::keyClick(pageEdit, Qt::Key_Return);
        QCOMPARE(page.currentPage(), 2);
        QCOMPARE(page.table()->rowCount(), 1);
        QCOMPARE(cell(page, 0, 1), QStringLiteral("11"));
        QVERIFY(pageEdit->text().isEmpty());

        // A larger page size returns to page 1 with every row.
        child<QComboBox>(page, "fitterPageSizeBox")->setCurrentIndex(1);
        QCOMPARE(page.pageSize(), 20);
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(page.table()->rowCount(), 11);

        QVERIFY(saveFitters(numberedFitters(25)));
        page.reloadFitters();
        child<QComboBox>(page, "fitterPageSizeBox")->setCurrentIndex(0);
        pageEdit->setText("99");
        go->click();
        QCOMPARE(page.currentPage(), 3);
        QCOMPARE(child<QLabel>(page, "fitterCurrentPageLabel")->text(), QStringLiteral("3"));
    }

    void searchAndReset()
    {
        QList<Fitter> fitters = numberedFitters(3);
        fitters[0].name = "anna";
        fitters[1].workId = "ANNA";
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

    void headerBoxTicksThePageAndRefreshClearsIt()
    {
        QVERIFY(saveFitters(numberedFitters(12)));
        FitterPage page;
        page.resize(900, 700);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *header = qobject_cast<FitterTableHeader *>(page.table()->horizontalHeader());
        QVERIFY(header);
        QSignalSpy toggled(header, &FitterTableHeader::checkAllToggled);
        const QPoint firstSection(header->sectionViewportPosition(0) + header->sectionSize(0) / 2,
                                  header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstSection);
        QCOMPARE(toggled.size(), 1);
        QVERIFY(header->isChecked());
        for (int row = 0; row < page.table()->rowCount(); ++row)
            QVERIFY(rowCheck(page, row)->isChecked());

        // Another section is an ordinary header click.
        const QPoint nameSection(header->sectionViewportPosition(2) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameSection);
        QCOMPARE(toggled.size(), 1);

        page.onQueryClicked();
        QVERIFY(!header->isChecked());
        for (int row = 0; row < page.table()->rowCount(); ++row)
            QVERIFY(!rowCheck(page, row)->isChecked());
        QCOMPARE(toggled.size(), 1);
    }

    void deleting()
    {
        QVERIFY(saveFitters(numberedFitters(12)));
        FitterPage page;
        auto *deleteButton = child<QPushButton>(page, "fitterBatchDeleteButton");

        auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        deleteButton->click();
        QCOMPARE(prompt->text, QStringLiteral("请至少勾选一位验配师！"));

        child<QLineEdit>(page, "fitterPageEdit")->setText("2");
        page.onGoClicked();
        rowCheck(page, 0)->setChecked(true);
        rowCheck(page, 1)->setChecked(true);
        prompt = TestSupport::answerNextPrompt(Answer::Cancel);
        deleteButton->click();
        QCOMPARE(prompt->text, QStringLiteral("确定要删除选中的 2 位验配师吗？"));
        QCOMPARE(loadFitters().size(), 12);

        prompt = TestSupport::answerNextPrompt(Answer::Ok);
        deleteButton->click();
        QVERIFY(prompt->seen);
        QCOMPARE(page.currentPage(), 1);
        QCOMPARE(loadFitters().size(), 10);
        QCOMPARE(loadFitters().last().id, 10);
        QCOMPARE(page.allFitters().size(), 10);
    }

    void deletingOneOfTwinIdsRemovesTheTickedOne()
    {
        QList<Fitter> fitters = numberedFitters(3);
        fitters[2].id = 1; // a hand-edited file
        fitters[2].name = "twin";
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        rowCheck(page, 2)->setChecked(true);
        TestSupport::answerNextPrompt(Answer::Ok);
        page.onBatchDeleteClicked();
        const QList<Fitter> stored = loadFitters();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0].name, QStringLiteral("fitter 1"));
        QCOMPARE(stored[1].name, QStringLiteral("fitter 2"));
    }

    void addingTakesTheNextId()
    {
        QList<Fitter> fitters = numberedFitters(2);
        fitters[0].id = 9;
        fitters[1].id = -4;
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        page.resize(1000, 700);
        page.show();
        whenModalShown<FitterDialog>([](FitterDialog *dialog) {
            dialog->findChild<QLineEdit *>("fitterNameEdit")->setText("  Neu ");
            dialog->findChild<QLineEdit *>("fitterWorkEdit")->setText(" W-1 ");
            dialog->findChild<QPushButton *>("fitterDialogOkButton")->click();
        });
        QTest::mouseClick(child<QPushButton>(page, "fitterAddButton"), Qt::LeftButton);
        const QList<Fitter> stored = loadFitters();
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.last().id, 10);
        QCOMPARE(stored.last().name, QStringLiteral("Neu"));
        QCOMPARE(stored.last().workId, QStringLiteral("W-1"));
        QCOMPARE(stored.last().gender, QStringLiteral("保密"));
        QCOMPARE(page.table()->rowCount(), 3);

        whenModalShown<FitterDialog>([](FitterDialog *dialog) { dialog->reject(); });
        page.onAddClicked();
        QCOMPARE(loadFitters().size(), 3);
    }

    void editingKeepsTheHiddenFields()
    {
        Fitter f{7, "Old", "W7", " Clinic ", "0151", 12, "女", "kids", "note", true};
        QVERIFY(saveFitters({f}));
        FitterPage page;
        page.resize(1000, 700);
        page.show();
        whenModalShown<FitterDialog>([](FitterDialog *dialog) {
            QVERIFY(dialog->findChild<QPushButton *>("genderFemaleButton")
                        ->property("selected")
                        .toBool());
            dialog->findChild<QLineEdit *>("fitterNameEdit")->setText("New");
            dialog->findChild<QPushButton *>("genderMaleButton")->click();
            dialog->findChild<QPushButton *>("fitterDialogOkButton")->click();
        });
        QTest::mouseClick(rowEdit(page, 0), Qt::LeftButton);
        const Fitter stored = loadFitters().first();
        Fitter expected = f;
        expected.name = "New";
        expected.gender = "男";
        expected.clinicName = "Clinic";
        QCOMPARE(stored.toJson(), expected.toJson());
        QCOMPARE(cell(page, 0, 2), QStringLiteral("New"));

        page.onEditClicked(12345); // no such fitter: nothing opens
        QCOMPARE(loadFitters().size(), 1);
    }

    void failedWriteIsReportedAndUndone()
    {
        QVERIFY(saveFitters(numberedFitters(2)));
        FitterPage page;
        QFile::remove(fittersFilePath());
        QVERIFY(QDir().mkpath(fittersFilePath()));
        rowCheck(page, 0)->setChecked(true);
        TestSupport::answerNextPrompt(Answer::Ok);
        const auto failure = TestSupport::answerNextPrompt(Answer::Ok);
        page.onBatchDeleteClicked();
        QTRY_VERIFY(failure->seen);
        QCOMPARE(failure->text, QStringLiteral("检查人保存失败，请检查磁盘权限。"));
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
        QCOMPARE(page.allFitters().at(0).id, 0);
        QCOMPARE(cell(page, 2, 2).size(), 5000);
        page.reloadFitters();
        page.onQueryClicked();
        QCOMPARE(TestSupport::readFile(fittersFilePath()), bad);
    }

    void dialogRules()
    {
        QCOMPARE(FitterDialog::sizesFor(QRect(0, 0, 700, 380)).fixed, QSize(660, 348));
        QCOMPARE(FitterDialog::sizesFor(QRect(0, 0, 700, 380)).minimum, QSize(520, 320));
        QCOMPARE(FitterDialog::sizesFor(QRect(0, 0, 500, 300)).minimum, QSize(468, 268));
        QCOMPARE(FitterDialog::sizesFor(QRect()).fixed, QSize(660, 360));

        FitterDialog add(nullptr, false, Fitter());
        QVERIFY(add.findChild<QPushButton *>("genderPrivateButton")->property("selected").toBool());
        add.findChild<QLineEdit *>("fitterNameEdit")->setText("   ");
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
            QVERIFY(!edit.findChild<QPushButton *>(name)->property("selected").toBool());
        edit.onConfirm();
        QCOMPARE(edit.fitter().gender, QStringLiteral("other"));
        QCOMPARE(edit.fitter().name.size(), 40000);
    }

    // Runs last: it loads the shipped packs into the process-wide manager.
    void followsTheLanguage()
    {
        QList<Fitter> fitters = numberedFitters(1);
        fitters[0].gender = "男";
        QVERIFY(saveFitters(fitters));
        FitterPage page;
        QVERIFY(LangManager::instance()->loadLanguagePacks(QStringLiteral(LUMAURAL_SOURCE_DIR) +
                                                           "/i18n/languages"));
        LangManager::instance()->setLanguage("en_US");
        QCOMPARE(page.table()->horizontalHeaderItem(2)->text(), QStringLiteral("Name"));
        QCOMPARE(cell(page, 0, 4), QStringLiteral("Male"));
        QCOMPARE(rowEdit(page, 0)->text(), QStringLiteral("Edit"));
        // Longer words widen the fixed columns instead of being cut off.
        const int genderWidth = page.table()->horizontalHeader()->sectionSize(4);
        QVERIFY(genderWidth >= page.fontMetrics().horizontalAdvance("Not specified"));
        LangManager::instance()->setLanguage("zh_CN");
        QCOMPARE(cell(page, 0, 4), QStringLiteral("男"));
        QCOMPARE(page.table()->horizontalHeader()->sectionSize(4), 64);
    }
};

LUMAURAL_TEST_MAIN(TestFitterPage)
#include "tst_fitterpage.moc"

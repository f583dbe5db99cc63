#include "records/inspectordialog.h"
#include "ui/common/combopopup.h"

#include "pagedriver.h"

using TestSupport::Answer;

namespace {

void fill(InspectorDialog &dialog, const QString &id, const QString &name, int genderIndex = 0)
{
    child<QLineEdit>(dialog, "inspectorIdEdit")->setText(id);
    child<QLineEdit>(dialog, "inspectorNameEdit")->setText(name);
    child<QComboBox>(dialog, "inspectorGenderBox")->setCurrentIndex(genderIndex);
}

} // namespace

class TestInspectorDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeStoreFiles(); }

    void coversItsWindow()
    {
        QWidget window;
        window.setGeometry(150, 90, 1200, 760);
        window.show();
        InspectorDialog dialog(&window);
        dialog.show();
        QCOMPARE(dialog.geometry(), window.geometry());
    }

    void genderListHasTheFieldsLook()
    {
        InspectorDialog dialog;
        QVERIFY(hasComboPopupStyle(child<QComboBox>(dialog, "inspectorGenderBox")));
    }

    void refusalsThenCancelWriteNothing_data()
    {
        QTest::addColumn<QStringList>("idAndName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("id of spaces")
            << QStringList{"   ", "Sun"} << "请输入检查人ID。" << QString("inspectorIdEdit");
        QTest::newRow("neither") << QStringList{"", ""} << "请输入检查人ID。"
                                 << QString("inspectorIdEdit");
        QTest::newRow("no name") << QStringList{"W1", " "} << "请输入检查人姓名。"
                                 << QString("inspectorNameEdit");
        QTest::newRow("taken id") << QStringList{" W1 ", "Sun"} << "检查人ID已存在，请重新输入。"
                                  << QString("inspectorIdEdit");
    }

    void refusalsThenCancelWriteNothing()
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

    void createsInspectorsKeepingRecordsItDidNotTouch()
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

    void failedWriteKeepsTheDialogOpen()
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
};

LUMAURAL_TEST_MAIN(TestInspectorDialog)
#include "tst_inspectordialog.moc"

#include "records/inspectordialog.h"
#include "records/jsonfilestore.h"
#include "records/recordstore.h"

#include "common/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

using TestSupport::Answer;

class TestInspectorDialog : public QObject
{
    Q_OBJECT

    static void fill(InspectorDialog &dialog, const QString &id, const QString &name,
                     int genderIndex = 0)
    {
        dialog.findChild<QLineEdit *>("inspectorIdEdit")->setText(id);
        dialog.findChild<QLineEdit *>("inspectorNameEdit")->setText(name);
        dialog.findChild<QComboBox *>("inspectorGenderBox")->setCurrentIndex(genderIndex);
    }

private slots:
    void init()
    {
        QDir(fittersFilePath()).removeRecursively();
        QFile::remove(fittersFilePath());
    }

    void coversTheWindowWithTheCardInTheMiddle()
    {
        QWidget window;
        window.resize(1200, 760);
        InspectorDialog dialog(&window);
        QCOMPARE(dialog.size(), QSize(1200, 760));
        const auto *card = dialog.findChild<QFrame *>("inspectorCard");
        QCOMPARE(card->geometry(), QRect(366, 156, 467, 448));
        QCOMPARE(InspectorDialog().size(), QSize(467, 448));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("id of spaces") << "   "
                                      << "Sun"
                                      << "请输入检查人ID。"
                                      << "inspectorIdEdit";
        QTest::newRow("no name") << "W1"
                                 << " "
                                 << "请输入检查人姓名。"
                                 << "inspectorNameEdit";
        QTest::newRow("taken id") << " W1 "
                                  << "Sun"
                                  << "检查人ID已存在，请重新输入。"
                                  << "inspectorIdEdit";
    }

    void refusals()
    {
        Fitter existing;
        existing.id = 3;
        existing.workId = "W1";
        QVERIFY(saveFitters({existing}));
        const QByteArray before = TestSupport::readFile(fittersFilePath());
        QFETCH(QString, id);
        QFETCH(QString, name);
        InspectorDialog dialog;
        fill(dialog, id, name);
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        dialog.onConfirm();
        QTEST(prompt->text, "message");
        QTEST(dialog.focusWidget()->objectName(), "focused");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.reject();
        QCOMPARE(TestSupport::readFile(fittersFilePath()), before);
    }

    void createsTheFirstInspector()
    {
        InspectorDialog dialog;
        fill(dialog, " A7 ", " <b>Sun</b> ");
        dialog.onConfirm();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const Fitter created = dialog.createdFitter();
        QCOMPARE(created.id, 1);
        QCOMPARE(created.workId, QStringLiteral("A7"));
        QCOMPARE(created.name, QStringLiteral("<b>Sun</b>"));
        QCOMPARE(created.gender, QStringLiteral("保密"));
        const QList<Fitter> stored = loadFitters();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().toJson(), created.toJson());

        // Another letter case is another ID; ids keep counting from the largest.
        InspectorDialog second;
        fill(second, "a7", "Wu", 1);
        second.onConfirm();
        QCOMPARE(second.createdFitter().id, 2);
        QCOMPARE(second.createdFitter().gender, QStringLiteral("男"));
        QCOMPARE(loadFitters().size(), 2);
    }

    void keepsBadRecordsItDidNotTouch()
    {
        TestSupport::writeFile(fittersFilePath(),
                               "{\"fitters\": [{\"id\": 9, \"workId\": 5, \"name\": null}, 17]}");
        InspectorDialog dialog;
        fill(dialog, "W", "Sun");
        dialog.onConfirm();
        const QList<Fitter> stored = loadFitters();
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored[0].id, 9);
        QCOMPARE(dialog.createdFitter().id, 10);
    }

    void failedWriteKeepsTheDialogOpen()
    {
        QVERIFY(QDir().mkpath(fittersFilePath()));
        InspectorDialog dialog;
        fill(dialog, "W", "Sun");
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        dialog.onConfirm();
        QCOMPARE(prompt->text, QStringLiteral("检查人保存失败，请检查磁盘权限。"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.findChild<QLineEdit *>("inspectorNameEdit")->text(), QStringLiteral("Sun"));
    }

    void cancelWritesNothing()
    {
        QWidget window;
        window.resize(900, 700);
        window.show();
        InspectorDialog dialog(&window);
        fill(dialog, "", "Sun");
        const auto prompt = TestSupport::answerNextPrompt(Answer::Ok);
        dialog.onConfirm();
        QVERIFY(prompt->seen);
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(dialog.findChild<QPushButton *>("inspectorCancelButton"),
                              Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(fittersFilePath()));
    }
};

LUMAURAL_TEST_MAIN(TestInspectorDialog)
#include "tst_inspectordialog.moc"

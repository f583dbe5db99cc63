#include "backup/backupschedule.h"
#include "common/testsupport.h"

#include <QTemporaryDir>

class TestBackupSchedule : public QObject
{
    Q_OBJECT

private slots:
    void isDue_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("lastRun");
        QTest::addColumn<bool>("due");
        const QDateTime now(QDate(2026, 3, 10), QTime(8, 0));
        using P = BackupSchedule::Period;
        QTest::newRow("off") << int(P::Off) << QDateTime() << false;
        QTest::newRow("never run") << int(P::Daily) << QDateTime() << true;
        QTest::newRow("daily, earlier today") << int(P::Daily) << now.addSecs(-3600) << false;
        QTest::newRow("daily, late yesterday") << int(P::Daily) << now.addSecs(-10 * 3600) << true;
        QTest::newRow("weekly, six days") << int(P::Weekly) << now.addDays(-6) << false;
        QTest::newRow("weekly, seven days") << int(P::Weekly) << now.addDays(-7) << true;
        QTest::newRow("clock set back") << int(P::Weekly) << now.addDays(30) << true;
    }

    void isDue()
    {
        QFETCH(int, period);
        QFETCH(QDateTime, lastRun);
        QFETCH(bool, due);
        const QDateTime now(QDate(2026, 3, 10), QTime(8, 0));
        QCOMPARE(BackupSchedule::isDue(BackupSchedule::Period(period), lastRun, now), due);
    }

    void pruneKeepsNewestAndOthers()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2026, 1, 1), QTime(9, 0));
        for (int day = 0; day < 5; ++day)
            TestSupport::writeFile(dir.filePath(BackupSchedule::archiveName(t.addDays(day))), "x");
        TestSupport::writeFile(dir.filePath("lumaural-backup-20250101-000000.tar.partial"), "x");
        TestSupport::writeFile(dir.filePath("lumaural-backup-mine.tar"), "x");
        TestSupport::writeFile(dir.filePath("holiday.tar"), "x");

        QCOMPARE(BackupSchedule::prune(dir.path(), 2).size(), 4);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left,
                 (QStringList{"holiday.tar", "lumaural-backup-20260104-090000.tar",
                              "lumaural-backup-20260105-090000.tar", "lumaural-backup-mine.tar"}));
        QCOMPARE(BackupSchedule::prune(dir.path(), 0).size(), 1); // the newest always stays
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestBackupSchedule)
#include "tst_backupschedule.moc"

// The backup controls of the settings page, against the real data folder of
// the isolated test home.
#include "backup/backgroundbackup.h"
#include "backup/backupschedule.h"
#include "backup/backupstatus.h"
#include "records/store/jsonfilestore.h"
#include "records/store/recordstore.h"
#include "settings/settingspage.h"
#include "settings/usersettings.h"

#include "common/testsupport.h"

#include <QTemporaryDir>

namespace {

QList<Customer> orders(const QStringList &names)
{
    QList<Customer> list;
    for (const QString &name : names) {
        Customer c;
        c.id = int(list.size()) + 1;
        c.name = name;
        c.createdAt = QStringLiteral("2026-03-0%1T09:00:00").arg(list.size() + 1);
        list.append(c);
    }
    return list;
}

QStringList names(const QList<Customer> &list)
{
    QStringList result;
    for (const Customer &c : list)
        result.append(c.name);
    return result;
}

} // namespace

class TestSettingsBackup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_out;

private slots:
    void init() { QVERIFY(saveCustomers(orders({"Ada", "Bo"}))); }

    void backUpThenRestoreReplacesTheRecords()
    {
        SettingsPage page;
        const QString archive = m_out.filePath("manual.tar");
        auto saved = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(page.backUpTo(archive));
        QVERIFY(saved->text.contains("manual.tar"));

        QVERIFY(saveCustomers(orders({"Cy"})));
        QCOMPARE(names(loadCustomers()), QStringList{"Cy"});
        QSignalSpy restored(&page, &SettingsPage::recordsRestored);
        std::shared_ptr<TestSupport::PromptRecord> done;
        connect(&page, &SettingsPage::recordsRestored, this,
                [&] { done = TestSupport::answerNextPrompt(TestSupport::Answer::Ok); });
        auto asked = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(page.restoreFrom(archive));
        QVERIFY2(asked->text.contains("2") && asked->text.contains("2026.03.01") &&
                     asked->text.contains("2026.03.02"),
                 qPrintable(asked->text));
        QCOMPARE(asked->highlighted, asked->buttons.first()); // Cancel, for a hurried Enter
        QCOMPARE(restored.size(), 1);
        // The store read the restored file, not what it held of the one replaced.
        QCOMPARE(names(loadCustomers()), (QStringList{"Ada", "Bo"}));
    }

    void refusedArchiveChangesNothing()
    {
        const QString archive = m_out.filePath("foreign.tar");
        TestSupport::writeFile(archive, QByteArray(4096, 'z'));
        const QByteArray before = TestSupport::readFile(customersFilePath());
        SettingsPage page;
        QSignalSpy restored(&page, &SettingsPage::recordsRestored);
        auto told = TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QVERIFY(!page.restoreFrom(archive));
        QCOMPARE(told->text, BackupStatus(BackupStatus::NotAnArchive).message());
        QCOMPARE(restored.size(), 0);
        QCOMPARE(TestSupport::readFile(customersFilePath()), before);
    }

    void automaticBackupRunsWhenDueAndPrunes()
    {
        const QString folder = m_out.filePath("auto");
        QVERIFY(QDir().mkpath(folder));
        for (const char *old :
             {"lumaural-backup-20200101-000000.tar", "lumaural-backup-20200102-000000.tar"})
            TestSupport::writeFile(folder + "/" + old, "old");
        QVERIFY(UserSettings::instance().setBackupSchedule("weekly", folder, 2));
        SettingsPage page;
        const QDateTime now = QDateTime::currentDateTime();
        QSignalSpy finished(page.backgroundBackup(), &BackgroundBackup::finished);
        QVERIFY(page.startAutomaticBackupIfDue(now));
        QVERIFY(!page.startAutomaticBackupIfDue(now)); // one at a time
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().value<BackupStatus>().isOk());
        const QFileInfoList kept = BackupSchedule::backupsIn(folder);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept.first().fileName(), QStringLiteral("lumaural-backup-20200102-000000.tar"));
        QVERIFY(UserSettings::instance().lastBackup().isValid());
        QVERIFY(!page.startAutomaticBackupIfDue(now.addDays(6)));
        QVERIFY(page.startAutomaticBackupIfDue(now.addDays(7)));
        page.backgroundBackup()->cancel();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.last().first().value<BackupStatus>().code(), BackupStatus::Cancelled);
        QCOMPARE(QDir(folder).entryList({"*.partial"}, QDir::Files).size(), 0);
    }
};

LUMAURAL_TEST_MAIN(TestSettingsBackup)
#include "tst_settingsbackup.moc"

// The choices made on the settings page come back at the next start.
#include "app/startup.h"
#include "settings/settingspage.h"
#include "settings/usersettings.h"
#include "ui/mainwindow/mainwindow.h"

#include "../records/pagedriver.h"

#include <QFileDialog>
#include <QTemporaryDir>

class TestKeptChoices : public QObject
{
    Q_OBJECT

private slots:
    void languageResolutionAndPhotoFolderComeBack()
    {
        QVERIFY(useShippedLanguage("zh_CN"));
        QTemporaryDir photos;
        {
            MainWindow window;
            SettingsPage *page = window.settingsPage();
            QComboBox *languages = child<QComboBox>(*page, "languageCombo");
            languages->setCurrentIndex(languages->findData("en_US"));
            QComboBox *resolutions = child<QComboBox>(*page, "resolutionCombo");
            // Before any device answered, the list already shows 1920×1080.
            resolutions->setCurrentIndex(resolutions->findData("640*480"));
            resolutions->setCurrentIndex(resolutions->findData("1920*1080"));
            whenModalShown<QFileDialog>([&photos](QFileDialog *dialog) {
                dialog->setDirectory(photos.path());
                static_cast<QDialog *>(dialog)->accept(); // the file dialog's own check
            });
            child<QPushButton>(*page, "changeFolderButton")->click();
            QCOMPARE(window.photoFolder(), photos.path());
        }

        // The next start: a new process begins in Chinese and reads the file.
        LangManager::instance()->setLanguage("zh_CN");
        const UserSettings kept(UserSettings::standardFilePath());
        QCOMPARE(kept.languageCode(), QStringLiteral("en_US"));
        QCOMPARE(kept.photoFolder(), photos.path());
        QCOMPARE(kept.resolution(), QStringLiteral("1920*1080"));
        Startup::prepare(kept);
        QCOMPARE(LangManager::instance()->currentLanguage(), QStringLiteral("en_US"));
        MainWindow again;
        QCOMPARE(again.photoFolder(), photos.path());
        QCOMPARE(child<QLineEdit>(*again.settingsPage(), "photoPathEdit")->text(),
                 QDir::toNativeSeparators(photos.path()));
        QCOMPARE(child<QComboBox>(*again.settingsPage(), "languageCombo")->currentData(),
                 QVariant("en_US"));
        // Sent to the device after each connection (tested with a device elsewhere).
        QCOMPARE(again.chosenResolution(), QStringLiteral("1920*1080"));
        QCOMPARE(child<QComboBox>(*again.settingsPage(), "resolutionCombo")->currentData(),
                 QVariant("1920*1080"));
    }

    // A folder on a share that is not mounted must not be made on the local disk.
    void aMissingKeptFolderIsNotRecreated()
    {
        QTemporaryDir gone;
        const QString folder = gone.filePath("share/photos");
        QVERIFY(UserSettings::instance().setPhotoFolder(folder));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Kept photo folder .* is missing"));
        MainWindow window;
        QVERIFY(window.photoFolder() != folder);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(UserSettings(UserSettings::standardFilePath()).photoFolder(), folder);
    }
};

LUMAURAL_TEST_MAIN(TestKeptChoices)
#include "tst_keptchoices.moc"

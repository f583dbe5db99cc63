#pragma once

#include "records/store/fileidentity.h"
#include "records/store/reportconfig.h"

#include <QDateTime>
#include <QWidget>

class BackgroundBackup;
class BackupStatus;
class QComboBox;
class QSpinBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Page 6: stream resolution, interface language, photo folder, and the company
// name and report title printed on reports. Resolution, language and folder
// are only reported as the user's choices; the main window acts on them and
// hands the resulting values back through setCurrentValues(). The two report
// texts are written to the report configuration on every keystroke; the file
// is read again only when something else has changed it.
class SettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsPage(QWidget *parent = nullptr);

    // What the main window currently has; changes no setting and emits nothing.
    void setCurrentValues(const QString &resolutionText, const QString &languageCode,
                          const QString &photoPath);

signals:
    void backRequested();
    void resolutionSelected(const QString &resolution, const QString &displayText);
    void languageSelected(const QString &languageCode);
    void openPhotoFolderRequested();
    void changePhotoFolderRequested();
    // The store files were replaced from a backup: pages showing records reload.
    void recordsRestored();

public slots:
    void retranslate();
    // Opens the about panel with the Qt licence notice; returns when it closes.
    void showAboutDialog();

    // Asks where to save, then writes a backup there with progress and Cancel.
    void onBackUpNowClicked();
    // Asks for an archive, then restoreFrom().
    void onRestoreClicked();
    // Writes a backup of the store to `archivePath`, telling the user how it went.
    bool backUpTo(const QString &archivePath);
    // Shows what `archivePath` holds, asks, and restores it; true once restored.
    bool restoreFrom(const QString &archivePath);
    // Starts the automatic backup in the background when one is due.
    bool startAutomaticBackupIfDue(const QDateTime &now);
    BackgroundBackup *backgroundBackup() const { return m_backgroundBackup; }

private:
    QWidget *dialogParent();
    void buildUi();
    void applyCurrentValues();
    void populateLanguageCombo();
    void loadReportFields();
    void readReportConfig();
    void saveReportConfig();
    void onResolutionIndexChanged(int index);
    void onLanguageIndexChanged(int index);
    void buildBackupUi(QWidget *card, QVBoxLayout *layout);
    void retranslateBackup();
    void applyBackupSettings();
    void onAutoBackupEdited();
    void onChooseBackupFolderClicked();
    void onAutoBackupProgress(int permille);
    void onAutoBackupFinished(const BackupStatus &status, const QString &archivePath);
    void showBackupState();

    QString m_resolutionText;
    QString m_languageCode;
    QString m_photoPath;
    QString m_companyName;
    QString m_reportTitle;
    // The configuration as last read or written, the file it was, and
    // whether it was read at all (not a file that could not be read).
    ReportConfig m_config;
    FileIdentity m_configFile;
    bool m_configRead = false;
    // A failed save is reported once, not again on every keystroke until a
    // save succeeds.
    bool m_saveFailureShown = false;

    QPushButton *m_backButton = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_resolutionLabel = nullptr;
    QComboBox *m_resolutionCombo = nullptr;
    QLabel *m_languageLabel = nullptr;
    QComboBox *m_languageCombo = nullptr;
    QLabel *m_photoPathLabel = nullptr;
    QLineEdit *m_photoPathEdit = nullptr;
    QPushButton *m_openFolderButton = nullptr;
    QPushButton *m_changeFolderButton = nullptr;
    QLabel *m_companyLabel = nullptr;
    QLineEdit *m_companyEdit = nullptr;
    QLabel *m_reportTitleLabel = nullptr;
    QLineEdit *m_reportTitleEdit = nullptr;
    QPushButton *m_aboutButton = nullptr;

    QLabel *m_backupLabel = nullptr;
    QPushButton *m_backUpNowButton = nullptr;
    QPushButton *m_restoreButton = nullptr;
    QLabel *m_autoBackupLabel = nullptr;
    QComboBox *m_autoPeriodCombo = nullptr;
    QLineEdit *m_autoFolderEdit = nullptr;
    QPushButton *m_autoFolderButton = nullptr;
    QLabel *m_autoKeepLabel = nullptr;
    QSpinBox *m_autoKeepSpin = nullptr;
    QLabel *m_backupState = nullptr;
    QPushButton *m_cancelAutoButton = nullptr;
    BackgroundBackup *m_backgroundBackup = nullptr;
};

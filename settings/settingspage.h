#pragma once

#include "records/fileidentity.h"
#include "reports/reportconfig.h"

#include <QWidget>

class QComboBox;
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

public slots:
    void retranslate();
    // Opens the about panel with the Qt licence notice; returns when it closes.
    void showAboutDialog();

private:
    void buildUi();
    void applyCurrentValues();
    void populateLanguageCombo();
    void loadReportFields();
    void readReportConfig();
    void saveReportConfig();
    void onResolutionIndexChanged(int index);
    void onLanguageIndexChanged(int index);

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
};

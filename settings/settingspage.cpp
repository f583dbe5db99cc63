#include "settings/settingspage.h"

#include "backup/backgroundbackup.h"
#include "backup/backupreader.h"
#include "backup/backuprestorer.h"
#include "backup/backupschedule.h"
#include "backup/backupwriter.h"
#include "i18n/langmanager.h"
#include "records/store/jsonfilestore.h"
#include "records/store/recordsbackend.h"
#include "records/store/storealerts.h"
#include "settings/aboutpanel.h"
#include "settings/recordslocationsection.h"
#include "settings/settingsfields.h"
#include "settings/sharpestcaptureoption.h"
#include "settings/usersettings.h"
#include "ui/common/busyoverlay.h"
#include "ui/common/promptdialog.h"
#include "ui/common/transientnotice.h"
#include "ui/common/wheelguard.h"

#include <QComboBox>
#include <QDebug>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString DefaultResolution = QStringLiteral("1920×1080");

using SettingsFields::combo;
using SettingsFields::field;
using SettingsFields::pillButton;

} // namespace

SettingsPage::SettingsPage(QWidget *parent) : QWidget(parent)
{
    buildUi();
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &SettingsPage::retranslate);
    retranslate();
    applyCurrentValues();
    loadReportFields();
    applyBackupSettings();
}

void SettingsPage::buildUi()
{
    setStyleSheet(QStringLiteral("background:#f7f8fc;"));
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setStyleSheet(QStringLiteral(
        "QScrollArea { background: transparent; border: none; }"
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; "
        "}"));
    pageLayout->addWidget(scroll);
    auto *content = new QWidget;
    content->setStyleSheet(QStringLiteral("background: transparent;"));
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 12, 0, 12);
    contentLayout->setSpacing(0);
    scroll->setWidget(content);

    auto *card = new QFrame(content);
    card->setObjectName(QStringLiteral("settingsCard"));
    card->setStyleSheet(QStringLiteral(
        "QFrame#settingsCard { background:white; border:none; border-radius:31px; }"));
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    contentLayout->addWidget(card);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(36, 28, 36, 28);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setSpacing(19);
    m_backButton = new QPushButton(card);
    m_backButton->setObjectName(QStringLiteral("settingsBackButton"));
    m_backButton->setFixedSize(28, 24);
    m_backButton->setFlat(true);
    m_backButton->setCursor(Qt::PointingHandCursor);
    m_backButton->setIcon(QIcon(QStringLiteral(":/res/settings_back.png")));
    m_backButton->setIconSize(QSize(18, 18));
    m_backButton->setStyleSheet(
        QStringLiteral("QPushButton { background:transparent; border:none; padding:0; }"
                       "QPushButton:hover { background:transparent; }"
                       "QPushButton:pressed { background:transparent; }"));
    m_title = new QLabel(card);
    m_title->setStyleSheet(QStringLiteral("QLabel { color:#585656; font-size:16px; "
                                          "font-weight:700; background:transparent; border:none; "
                                          "}"));
    header->addWidget(m_backButton);
    header->addWidget(m_title);
    header->addStretch();
    layout->addLayout(header);
    layout->addSpacing(18);
    auto *line = new QFrame(card);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("QFrame { background:#ededed; border:none; }"));
    layout->addWidget(line);
    layout->addSpacing(44);

    // Labels keep to the left; fields and combos grow to their maximum width
    // from the left edge.
    const Qt::Alignment left = Qt::AlignLeft;
    m_resolutionLabel = SettingsFields::label(card);
    m_resolutionCombo = combo(QStringLiteral("resolutionCombo"), card);
    for (const char *size : {"320×240", "640×480", "1280×720", "1920×1080"}) {
        const QString text = QString::fromUtf8(size);
        m_resolutionCombo->addItem(text,
                                   QString(text).replace(QStringLiteral("×"), QStringLiteral("*")));
    }
    m_languageLabel = SettingsFields::label(card);
    m_languageCombo = combo(QStringLiteral("languageCombo"), card);
    populateLanguageCombo();
    m_photoPathLabel = SettingsFields::label(card);
    auto *folderRow = new QHBoxLayout;
    folderRow->setSpacing(16);
    m_photoPathEdit = field(QStringLiteral("photoPathEdit"), 240, 480, card);
    m_photoPathEdit->setReadOnly(true);
    m_openFolderButton = pillButton(QStringLiteral("openFolderButton"), "700", card);
    m_changeFolderButton = pillButton(QStringLiteral("changeFolderButton"), "700", card);
    folderRow->addWidget(m_photoPathEdit);
    folderRow->addWidget(m_openFolderButton);
    folderRow->addWidget(m_changeFolderButton);
    folderRow->addStretch();
    m_companyLabel = SettingsFields::label(card);
    m_companyEdit = field(QStringLiteral("companyNameEdit"), 220, 420, card);
    m_reportTitleLabel = SettingsFields::label(card);
    m_reportTitleEdit = field(QStringLiteral("reportTitleEdit"), 220, 420, card);

    layout->addWidget(m_resolutionLabel, 0, left);
    layout->addSpacing(21);
    layout->addWidget(m_resolutionCombo);
    layout->addSpacing(28);
    layout->addWidget(m_languageLabel, 0, left);
    layout->addSpacing(20);
    layout->addWidget(m_languageCombo);
    layout->addSpacing(28);
    layout->addWidget(m_photoPathLabel, 0, left);
    layout->addSpacing(20);
    layout->addLayout(folderRow);
    layout->addSpacing(28);
    layout->addWidget(new SharpestCaptureOption(card));
    layout->addSpacing(28);
    layout->addWidget(m_companyLabel, 0, left);
    layout->addSpacing(20);
    layout->addWidget(m_companyEdit);
    layout->addSpacing(28);
    layout->addWidget(m_reportTitleLabel, 0, left);
    layout->addSpacing(20);
    layout->addWidget(m_reportTitleEdit);
    buildBackupUi(card, layout);
    layout->addSpacing(28);
    m_recordsSection = new RecordsLocationSection(&UserSettings::instance(), card);
    layout->addWidget(m_recordsSection);
    connect(m_recordsSection, &RecordsLocationSection::recordsLocationChanged, this,
            &SettingsPage::recordsLocationChanged);
    layout->addSpacing(50);

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(16);
    m_aboutButton = pillButton(QStringLiteral("aboutButton"), "400", card);
    auto *version = new QLabel(QStringLiteral("V1.0.4"), card);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setStyleSheet(QStringLiteral(
        "QLabel { color:#aaaaaa; font-size:13px; background:transparent; border:none; }"));
    bottom->addWidget(m_aboutButton);
    bottom->addWidget(version);
    bottom->addStretch();
    layout->addLayout(bottom);
    layout->addStretch();
    contentLayout->addStretch();

    connect(m_backButton, &QPushButton::clicked, this, &SettingsPage::backRequested);
    connect(m_resolutionCombo, &QComboBox::currentIndexChanged, this,
            &SettingsPage::onResolutionIndexChanged);
    connect(m_languageCombo, &QComboBox::currentIndexChanged, this,
            &SettingsPage::onLanguageIndexChanged);
    connect(m_openFolderButton, &QPushButton::clicked, this,
            &SettingsPage::openPhotoFolderRequested);
    connect(m_changeFolderButton, &QPushButton::clicked, this,
            &SettingsPage::changePhotoFolderRequested);
    connect(m_aboutButton, &QPushButton::clicked, this, &SettingsPage::showAboutDialog);
    connect(m_companyEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_companyName = text;
        saveReportConfig();
    });
    connect(m_reportTitleEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_reportTitle = text;
        saveReportConfig();
    });
}

void SettingsPage::retranslate()
{
    m_title->setText(uiText(QStringLiteral("settings.title"), QStringLiteral("设置")));
    m_resolutionLabel->setText(
        uiText(QStringLiteral("settings.resolution"), QStringLiteral("分辨率")));
    m_languageLabel->setText(uiText(QStringLiteral("settings.language"), QStringLiteral("语言")));
    m_photoPathLabel->setText(
        uiText(QStringLiteral("settings.photo_path"), QStringLiteral("图片保存路径")));
    m_companyLabel->setText(
        uiText(QStringLiteral("settings.company_name"), QStringLiteral("企业名称")));
    m_reportTitleLabel->setText(
        uiText(QStringLiteral("settings.report_title"), QStringLiteral("抬头设置")));
    m_openFolderButton->setText(
        uiText(QStringLiteral("settings.open_folder"), QStringLiteral("打开文件夹")));
    m_changeFolderButton->setText(
        uiText(QStringLiteral("settings.change_folder"), QStringLiteral("更改文件夹")));
    m_aboutButton->setText(uiText(QStringLiteral("settings.about"), QStringLiteral("关于")));
    m_companyEdit->setPlaceholderText(
        uiText(QStringLiteral("settings.placeholder.enter"), QStringLiteral("请输入")));
    m_reportTitleEdit->setPlaceholderText(
        uiText(QStringLiteral("settings.placeholder.report_title"), QStringLiteral("检查报告单")));
    populateLanguageCombo();
    retranslateBackup();
}

void SettingsPage::populateLanguageCombo()
{
    const QSignalBlocker blocker(m_languageCombo);
    m_languageCombo->clear();
    const QList<LanguageInfo> languages = LangManager::instance()->languages();
    for (const LanguageInfo &language : languages)
        m_languageCombo->addItem(language.name, language.code);
    const QString code =
        m_languageCode.isEmpty() ? LangManager::instance()->currentLanguage() : m_languageCode;
    m_languageCombo->setCurrentIndex(std::max(0, m_languageCombo->findData(code)));
}

void SettingsPage::setCurrentValues(const QString &resolutionText, const QString &languageCode,
                                    const QString &photoPath)
{
    m_resolutionText = resolutionText;
    m_languageCode = languageCode;
    m_photoPath = photoPath;
    applyCurrentValues();
}

void SettingsPage::applyCurrentValues()
{
    if (m_resolutionText.isEmpty())
        m_resolutionText = DefaultResolution;
    if (m_languageCode.isEmpty())
        m_languageCode = LangManager::instance()->currentLanguage();
    {
        const QSignalBlocker blocker(m_resolutionCombo);
        const int index = m_resolutionCombo->findText(m_resolutionText);
        if (index >= 0)
            m_resolutionCombo->setCurrentIndex(index);
    }
    {
        const QSignalBlocker blocker(m_languageCombo);
        m_languageCombo->setCurrentIndex(std::max(0, m_languageCombo->findData(m_languageCode)));
    }
    m_photoPathEdit->setText(m_photoPath);
    m_photoPathEdit->setToolTip(QString());
    m_photoPathEdit->setCursorPosition(0);
}

void SettingsPage::onResolutionIndexChanged(int index)
{
    if (index < 0)
        return;
    const QString text = m_resolutionCombo->itemText(index);
    if (text == m_resolutionText)
        return;
    m_resolutionText = text;
    emit resolutionSelected(m_resolutionCombo->itemData(index).toString(), text);
}

void SettingsPage::onLanguageIndexChanged(int index)
{
    if (index < 0)
        return;
    const QString code = m_languageCombo->itemData(index).toString();
    if (code == m_languageCode)
        return;
    m_languageCode = code;
    emit languageSelected(code);
}

void SettingsPage::loadReportFields()
{
    readReportConfig();
    m_companyName = m_config.companyName;
    m_reportTitle = m_config.reportTitle;
    const QSignalBlocker companyBlocker(m_companyEdit);
    const QSignalBlocker titleBlocker(m_reportTitleEdit);
    m_companyEdit->setText(m_companyName);
    m_reportTitleEdit->setText(m_reportTitle);
    m_companyEdit->setCursorPosition(0);
    m_reportTitleEdit->setCursorPosition(0);
}

void SettingsPage::readReportConfig()
{
    const QString path = reportConfigPath();
    // Stamped before reading: a file replaced meanwhile is read again later.
    m_configFile = FileIdentity::ofPath(path);
    m_config = RecordsBackend::current().readReportConfig();
    m_configRead = !StoreAlerts::instance()->isLeftAlone(path);
}

void SettingsPage::saveReportConfig()
{
    // The notes are edited elsewhere, so the file is read again where it
    // changed since; otherwise what was read or written last still holds.
    // One that could not be read is tried again, as only a read tells when it
    // can be; the window has told the user once already.
    if (!m_configRead || FileIdentity::ofPath(reportConfigPath()) != m_configFile)
        readReportConfig();
    if (!m_configRead)
        return; // the store would refuse to replace it anyway
    ReportConfig config = m_config;
    config.companyName = m_companyName.trimmed();
    config.reportTitle = m_reportTitle.trimmed();
    if (RecordsBackend::current().writeReportConfig(config).ok()) {
        m_config = config;
        m_configFile = FileIdentity::ofPath(reportConfigPath());
        m_saveFailureShown = false;
        return;
    }
    if (m_saveFailureShown || StoreAlerts::instance()->isLeftAlone(reportConfigPath()))
        return;
    m_saveFailureShown = true;
    // Told after the keystroke has been handled, not from inside it.
    QTimer::singleShot(0, this, [this] {
        showPromptMessage(this, uiText(QStringLiteral("settings.save_failed"),
                                       QStringLiteral("报告设置无法保存。")));
    });
}

void SettingsPage::showAboutDialog()
{
    AboutPanel panel(this);
    panel.exec();
}

namespace {

QString shownTime(const QString &iso)
{
    const QDateTime at = QDateTime::fromString(iso, Qt::ISODate);
    return at.isValid() ? at.toString(QStringLiteral("yyyy.MM.dd HH:mm")) : QStringLiteral("-");
}

// The summary a backup carries, from the stores as they are now.
BackupManifest currentSummary()
{
    return BackupManifest::summaryOf(RecordsBackend::current().listOrders(),
                                     int(RecordsBackend::current().listFitters().size()));
}

// The prompt's confirmation form, on a card tall enough for the summary of a
// backup; Cancel is the default, as the answer replaces every record.
bool confirmRestore(QWidget *parent, const QString &text)
{
    std::unique_ptr<QDialog> dialog(createPromptOverlay(parent));
    QFrame *card = createPromptCard(dialog.get(), text);
    card->setFixedSize(460, 340);
    if (auto *label = card->findChild<QLabel *>(QStringLiteral("promptText")))
        label->setStyleSheet(
            label->styleSheet().replace(QStringLiteral("18px"), QStringLiteral("15px")));
    const auto button = [&](const QString &label, bool dark) {
        auto *b = new QPushButton(label, card);
        b->setObjectName(QStringLiteral("promptButton"));
        b->setFixedSize(140, 48);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(
            dark ? QStringLiteral("QPushButton { background:#585656; border:none; "
                                  "border-radius:24px; color:white; font-size:15px; "
                                  "font-weight:700; }QPushButton:hover { background:#6a6868; }")
                 : QStringLiteral("QPushButton { background:white; border:1px solid #585656; "
                                  "border-radius:24px; color:#585656; font-size:15px; "
                                  "font-weight:700; }QPushButton:hover { background:#f5f5f5; }"));
        return b;
    };
    QPushButton *cancel =
        button(uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")), true);
    QPushButton *ok = button(uiText(QStringLiteral("common.ok"), QStringLiteral("确定")), false);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel);
    row->addSpacing(16);
    row->addWidget(ok);
    row->addStretch();
    static_cast<QVBoxLayout *>(card->layout())->addLayout(row);
    cancel->setDefault(true);
    cancel->setFocus();
    QObject::connect(cancel, &QPushButton::clicked, dialog.get(), &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    return dialog->exec() == QDialog::Accepted;
}

int permilleOf(const BackupControl &control)
{
    return control.total() > 0
               ? int(std::min<qint64>(1000, control.done() * 1000 / control.total()))
               : 0;
}

} // namespace

void SettingsPage::buildBackupUi(QWidget *card, QVBoxLayout *layout)
{
    m_backupLabel = SettingsFields::label(card);
    m_backUpNowButton = pillButton(QStringLiteral("backUpNowButton"), "700", card);
    m_restoreButton = pillButton(QStringLiteral("restoreButton"), "700", card);
    auto *actions = new QHBoxLayout;
    actions->setSpacing(16);
    actions->addWidget(m_backUpNowButton);
    actions->addWidget(m_restoreButton);
    actions->addStretch();

    m_autoBackupLabel = SettingsFields::label(card);
    m_autoPeriodCombo = combo(QStringLiteral("autoBackupCombo"), card);
    m_autoPeriodCombo->setMinimumWidth(160);
    m_autoPeriodCombo->setMaximumWidth(200);
    for (const char *key : {"off", "daily", "weekly"})
        m_autoPeriodCombo->addItem(QString(), QString::fromLatin1(key));
    m_autoFolderEdit = field(QStringLiteral("autoBackupFolderEdit"), 200, 420, card);
    m_autoFolderEdit->setReadOnly(true);
    m_autoFolderButton = pillButton(QStringLiteral("autoBackupFolderButton"), "700", card);
    m_autoKeepLabel = SettingsFields::label(card);
    m_autoKeepSpin = new QSpinBox(card);
    m_autoKeepSpin->setObjectName(QStringLiteral("autoBackupKeepSpin"));
    m_autoKeepSpin->setRange(1, 99);
    WheelGuard::install(m_autoKeepSpin);
    m_autoKeepSpin->setFixedSize(96, 51);
    m_autoKeepSpin->setStyleSheet(
        QStringLiteral("QSpinBox { background:white; border:1px solid #585656; "
                       "border-radius:25px; color:#333333; font-size:14px; padding:0 12px 0 22px; }"
                       "QSpinBox::up-button, QSpinBox::down-button { width:20px; border:none; }"));
    auto *schedule = new QHBoxLayout;
    schedule->setSpacing(16);
    schedule->addWidget(m_autoPeriodCombo);
    schedule->addWidget(m_autoFolderEdit);
    schedule->addWidget(m_autoFolderButton);
    schedule->addWidget(m_autoKeepLabel);
    schedule->addWidget(m_autoKeepSpin);
    schedule->addStretch();

    m_backupState = new QLabel(card);
    m_backupState->setObjectName(QStringLiteral("backupStateLabel"));
    m_backupState->setTextFormat(Qt::PlainText);
    m_backupState->setStyleSheet(QStringLiteral(
        "QLabel { color:#777777; font-size:13px; background:transparent; border:none; }"));
    m_cancelAutoButton = new QPushButton(card);
    m_cancelAutoButton->setObjectName(QStringLiteral("cancelAutoBackupButton"));
    m_cancelAutoButton->setCursor(Qt::PointingHandCursor);
    m_cancelAutoButton->setFlat(true);
    m_cancelAutoButton->setStyleSheet(QStringLiteral(
        "QPushButton { color:#ec5c0b; background:transparent; border:none; font-size:13px; }"));
    m_cancelAutoButton->hide();
    auto *state = new QHBoxLayout;
    state->setSpacing(12);
    state->addWidget(m_backupState);
    state->addWidget(m_cancelAutoButton);
    state->addStretch();

    layout->addSpacing(28);
    layout->addWidget(m_backupLabel, 0, Qt::AlignLeft);
    layout->addSpacing(20);
    layout->addLayout(actions);
    layout->addSpacing(28);
    layout->addWidget(m_autoBackupLabel, 0, Qt::AlignLeft);
    layout->addSpacing(20);
    layout->addLayout(schedule);
    layout->addSpacing(12);
    layout->addLayout(state);

    m_backgroundBackup = new BackgroundBackup(this);
    connect(m_backUpNowButton, &QPushButton::clicked, this, &SettingsPage::onBackUpNowClicked);
    connect(m_restoreButton, &QPushButton::clicked, this, &SettingsPage::onRestoreClicked);
    connect(m_autoFolderButton, &QPushButton::clicked, this,
            &SettingsPage::onChooseBackupFolderClicked);
    connect(m_autoPeriodCombo, &QComboBox::currentIndexChanged, this,
            &SettingsPage::onAutoBackupEdited);
    connect(m_autoKeepSpin, &QSpinBox::valueChanged, this, &SettingsPage::onAutoBackupEdited);
    connect(m_cancelAutoButton, &QPushButton::clicked, m_backgroundBackup,
            &BackgroundBackup::cancel);
    connect(m_backgroundBackup, &BackgroundBackup::progressed, this,
            &SettingsPage::onAutoBackupProgress);
    connect(m_backgroundBackup, &BackgroundBackup::finished, this,
            &SettingsPage::onAutoBackupFinished);
}

void SettingsPage::retranslateBackup()
{
    m_backupLabel->setText(
        uiText(QStringLiteral("settings.backup.title"), QStringLiteral("备份与恢复")));
    m_backUpNowButton->setText(
        uiText(QStringLiteral("settings.backup.now"), QStringLiteral("立即备份")));
    m_restoreButton->setText(
        uiText(QStringLiteral("settings.backup.restore"), QStringLiteral("恢复")));
    m_autoBackupLabel->setText(
        uiText(QStringLiteral("settings.backup.auto"), QStringLiteral("自动备份")));
    m_autoPeriodCombo->setItemText(
        0, uiText(QStringLiteral("settings.backup.off"), QStringLiteral("关闭")));
    m_autoPeriodCombo->setItemText(
        1, uiText(QStringLiteral("settings.backup.daily"), QStringLiteral("每天")));
    m_autoPeriodCombo->setItemText(
        2, uiText(QStringLiteral("settings.backup.weekly"), QStringLiteral("每周")));
    m_autoFolderEdit->setPlaceholderText(
        uiText(QStringLiteral("settings.backup.folder"), QStringLiteral("备份文件夹")));
    m_autoFolderButton->setText(
        uiText(QStringLiteral("settings.backup.choose_folder"), QStringLiteral("选择文件夹")));
    m_autoKeepLabel->setText(
        uiText(QStringLiteral("settings.backup.keep"), QStringLiteral("保留份数")));
    m_cancelAutoButton->setText(uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")));
    showBackupState();
}

void SettingsPage::applyBackupSettings()
{
    const UserSettings &settings = UserSettings::instance();
    const QSignalBlocker periodBlocker(m_autoPeriodCombo);
    const QSignalBlocker keepBlocker(m_autoKeepSpin);
    m_autoPeriodCombo->setCurrentIndex(
        std::max(0, m_autoPeriodCombo->findData(settings.backupPeriod())));
    m_autoKeepSpin->setValue(settings.backupKeep());
    m_autoFolderEdit->setText(QDir::toNativeSeparators(settings.backupFolder()));
    m_autoFolderEdit->setCursorPosition(0);
    showBackupState();
}

void SettingsPage::showBackupState()
{
    if (m_backgroundBackup->isRunning()) {
        onAutoBackupProgress(m_backgroundBackup->permille());
        return;
    }
    m_cancelAutoButton->hide();
    const QDateTime last = UserSettings::instance().lastBackup();
    m_backupState->setText(
        last.isValid()
            ? uiText(QStringLiteral("settings.backup.last"), QStringLiteral("上次自动备份：%1"))
                  .arg(last.toString(QStringLiteral("yyyy.MM.dd HH:mm")))
            : uiText(QStringLiteral("settings.backup.never"), QStringLiteral("尚无自动备份")));
}

void SettingsPage::onAutoBackupEdited()
{
    const QString period = m_autoPeriodCombo->currentData().toString();
    QString folder = QDir::fromNativeSeparators(m_autoFolderEdit->text());
    if (period != QLatin1String("off") && folder.isEmpty()) {
        onChooseBackupFolderClicked();
        folder = QDir::fromNativeSeparators(m_autoFolderEdit->text());
        if (folder.isEmpty()) {
            applyBackupSettings(); // no folder, no schedule
            return;
        }
    }
    UserSettings::instance().setBackupSchedule(period, folder, m_autoKeepSpin->value());
}

QWidget *SettingsPage::dialogParent()
{
    // The page's style sheet reaches every child, and turns the scroll areas
    // of Qt's own file dialog transparent, that is black with unreadable text.
    return window();
}

void SettingsPage::onChooseBackupFolderClicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        dialogParent(),
        uiText(QStringLiteral("settings.backup.choose_folder"), QStringLiteral("选择文件夹")),
        m_autoFolderEdit->text().isEmpty() ? QDir::homePath() : m_autoFolderEdit->text());
    if (folder.isEmpty())
        return;
    m_autoFolderEdit->setText(QDir::toNativeSeparators(folder));
    m_autoFolderEdit->setCursorPosition(0);
    onAutoBackupEdited();
}

void SettingsPage::onBackUpNowClicked()
{
    const QString suggested =
        QDir(QDir::homePath()).filePath(BackupSchedule::archiveName(QDateTime::currentDateTime()));
    QString path = QFileDialog::getSaveFileName(
        dialogParent(),
        uiText(QStringLiteral("settings.backup.save_title"), QStringLiteral("保存备份")), suggested,
        uiText(QStringLiteral("settings.backup.file_filter"), QStringLiteral("备份文件 (*.tar)")));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".tar"), Qt::CaseInsensitive))
        path += QStringLiteral(".tar");
    backUpTo(path);
}

bool SettingsPage::backUpTo(const QString &archivePath)
{
    const BackupManifest summary = currentSummary();
    BackupControl control;
    BackupStatus status;
    BusyOverlay::runCancellable(
        this,
        uiText(QStringLiteral("settings.backup.writing"), QStringLiteral("正在写入并校验备份…")),
        [&] {
            status =
                BackupWriter::write(JsonFileStore::dataDirectory(), archivePath, summary, control);
            return status.isOk();
        },
        [&] { return permilleOf(control); }, [&] { control.cancel(); });
    showPromptMessage(this, status.isOk() ? uiText(QStringLiteral("settings.backup.saved"),
                                                   QStringLiteral("备份已保存：\n%1"))
                                                .arg(QDir::toNativeSeparators(archivePath))
                                          : status.message());
    return status.isOk();
}

void SettingsPage::onRestoreClicked()
{
    const QString path = QFileDialog::getOpenFileName(
        dialogParent(),
        uiText(QStringLiteral("settings.backup.open_title"), QStringLiteral("选择要恢复的备份")),
        m_autoFolderEdit->text().isEmpty() ? QDir::homePath() : m_autoFolderEdit->text(),
        uiText(QStringLiteral("settings.backup.file_filter"), QStringLiteral("备份文件 (*.tar)")));
    if (!path.isEmpty())
        restoreFrom(path);
}

bool SettingsPage::restoreFrom(const QString &archivePath)
{
    BackupReader reader(archivePath);
    const BackupStatus looked = reader.readManifest();
    if (!looked.isOk()) {
        showPromptMessage(this, looked.message());
        return false;
    }
    const BackupManifest &m = reader.manifest();
    const QString question =
        uiText(QStringLiteral("settings.backup.confirm_restore"),
               QStringLiteral("备份时间：%1\n订单：%2 个（%3 至 %4）\n检查员：%5 位\n\n"
                              "恢复将替换当前记录，当前文件会另存保留。是否恢复？"))
            .arg(m.createdAt.toString(QStringLiteral("yyyy.MM.dd HH:mm")),
                 m.orders < 0 ? QStringLiteral("-") : QString::number(m.orders),
                 shownTime(m.firstOrderAt), shownTime(m.lastOrderAt),
                 m.inspectors < 0 ? QStringLiteral("-") : QString::number(m.inspectors));
    if (!confirmRestore(this, question))
        return false;

    BackupControl control;
    BackupStatus status;
    BusyOverlay::runCancellable(
        this,
        uiText(QStringLiteral("settings.backup.restoring"), QStringLiteral("正在校验并恢复备份…")),
        [&] {
            status = BackupRestorer::restore(archivePath, JsonFileStore::dataDirectory(), control);
            return status.isOk();
        },
        [&] { return permilleOf(control); }, [&] { control.cancel(); });
    if (status.isOk()) {
        loadReportFields();
        emit recordsRestored();
    }
    showPromptMessage(this, status.isOk() ? uiText(QStringLiteral("settings.backup.restored"),
                                                   QStringLiteral("记录已从备份恢复。"))
                                          : status.message());
    return status.isOk();
}

bool SettingsPage::startAutomaticBackupIfDue(const QDateTime &now)
{
    const UserSettings &settings = UserSettings::instance();
    const auto period = BackupSchedule::periodFromKey(settings.backupPeriod());
    if (m_backgroundBackup->isRunning() || settings.backupFolder().isEmpty() ||
        !BackupSchedule::isDue(period, settings.lastBackup(), now))
        return false;
    if (!m_backgroundBackup->start(JsonFileStore::dataDirectory(), settings.backupFolder(),
                                   settings.backupKeep(), currentSummary()))
        return false;
    onAutoBackupProgress(0);
    return true;
}

void SettingsPage::onAutoBackupProgress(int permille)
{
    m_backupState->setText(
        uiText(QStringLiteral("settings.backup.running"), QStringLiteral("正在自动备份… %1%"))
            .arg(permille / 10));
    m_cancelAutoButton->show();
}

void SettingsPage::onAutoBackupFinished(const BackupStatus &status, const QString &archivePath)
{
    if (status.isOk())
        UserSettings::instance().setLastBackup(QDateTime::currentDateTime());
    showBackupState();
    if (status.code() == BackupStatus::Cancelled)
        return;
    QWidget *host = window();
    if (status.isOk())
        TransientNotice::showOver(host, uiText(QStringLiteral("settings.backup.auto_saved"),
                                               QStringLiteral("自动备份已保存。")));
    else
        TransientNotice::showOver(host, uiText(QStringLiteral("settings.backup.auto_failed"),
                                               QStringLiteral("自动备份失败：%1"))
                                            .arg(status.message()));
    qDebug() << "Automatic backup" << archivePath << "ended:" << status.code();
}

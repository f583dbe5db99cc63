#include "settings/recordslocationsection.h"

#include "i18n/langmanager.h"
#include "records/server/recordsmigration.h"
#include "records/server/serverrecordsbackend.h"
#include "records/store/recordstore.h"
#include "settings/settingsfields.h"
#include "ui/common/promptdialog.h"
#include "ui/common/wheelguard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The location and TLS combos fit their longest text, whichever the language.
QComboBox *combo(const QString &name, QWidget *parent)
{
    QComboBox *box = SettingsFields::combo(name, parent);
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

ServerSettings toServerSettings(const UserSettings::RecordsServer &s)
{
    ServerSettings settings;
    settings.host = s.host;
    settings.port = s.port;
    settings.database = s.database;
    settings.user = s.user;
    settings.sslMode = s.sslMode;
    settings.sslRootCert = s.sslRootCert;
    return settings;
}

} // namespace

void useRecordsLocation(const UserSettings::RecordsServer &server)
{
    if (server.enabled)
        RecordsBackend::setCurrent(
            std::make_shared<ServerRecordsBackend>(toServerSettings(server)));
    else
        RecordsBackend::setCurrent(nullptr);
}

RecordsLocationSection::RecordsLocationSection(UserSettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    buildUi();
    retranslate();
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &RecordsLocationSection::retranslate);
}

void RecordsLocationSection::buildUi()
{
    setObjectName(QStringLiteral("recordsLocationSection"));
    setAttribute(Qt::WA_StyledBackground, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_title = SettingsFields::label(this);
    m_locationCombo = combo(QStringLiteral("recordsLocationCombo"), this);
    m_locationCombo->addItem(QString(), QStringLiteral("computer"));
    m_locationCombo->addItem(QString(), QStringLiteral("server"));

    m_serverBox = new QWidget(this);
    auto *grid = new QGridLayout(m_serverBox);
    grid->setContentsMargins(0, 16, 0, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    m_hostLabel = SettingsFields::smallLabel(m_serverBox);
    m_portLabel = SettingsFields::smallLabel(m_serverBox);
    m_databaseLabel = SettingsFields::smallLabel(m_serverBox);
    m_userLabel = SettingsFields::smallLabel(m_serverBox);
    m_tlsLabel = SettingsFields::smallLabel(m_serverBox);
    m_rootCertLabel = SettingsFields::smallLabel(m_serverBox);
    m_hostEdit = SettingsFields::field(QStringLiteral("serverHostEdit"), 260, 420, m_serverBox);
    m_portSpin = new QSpinBox(m_serverBox);
    m_portSpin->setObjectName(QStringLiteral("serverPortSpin"));
    m_portSpin->setRange(1, 65535);
    WheelGuard::install(m_portSpin);
    m_portSpin->setFixedSize(120, 51);
    m_portSpin->setStyleSheet(
        QStringLiteral("QSpinBox { background:white; border:1px solid #585656; "
                       "border-radius:25px; color:#333333; font-size:14px; padding:0 12px 0 22px; }"
                       "QSpinBox::up-button, QSpinBox::down-button { width:20px; border:none; }"));
    m_databaseEdit =
        SettingsFields::field(QStringLiteral("serverDatabaseEdit"), 200, 420, m_serverBox);
    m_userEdit = SettingsFields::field(QStringLiteral("serverUserEdit"), 200, 420, m_serverBox);
    m_tlsCombo = combo(QStringLiteral("serverTlsCombo"), m_serverBox);
    for (const char *mode : {"prefer", "require", "verify-ca", "verify-full", "disable"})
        m_tlsCombo->addItem(QString(), QString::fromLatin1(mode));
    m_rootCertEdit =
        SettingsFields::field(QStringLiteral("serverRootCertEdit"), 260, 420, m_serverBox);
    grid->addWidget(m_hostLabel, 0, 0);
    grid->addWidget(m_hostEdit, 0, 1);
    grid->addWidget(m_portLabel, 0, 2);
    grid->addWidget(m_portSpin, 0, 3);
    grid->addWidget(m_databaseLabel, 1, 0);
    grid->addWidget(m_databaseEdit, 1, 1);
    grid->addWidget(m_userLabel, 1, 2);
    grid->addWidget(m_userEdit, 1, 3);
    grid->addWidget(m_tlsLabel, 2, 0);
    grid->addWidget(m_tlsCombo, 2, 1);
    grid->addWidget(m_rootCertLabel, 3, 0);
    grid->addWidget(m_rootCertEdit, 3, 1, 1, 3);
    grid->setColumnStretch(4, 1);

    m_connectButton =
        SettingsFields::pillButton(QStringLiteral("serverConnectButton"), "700", this);
    m_copyButton = SettingsFields::pillButton(QStringLiteral("copyToServerButton"), "700", this);
    m_exportButton = SettingsFields::pillButton(QStringLiteral("exportServerButton"), "700", this);
    auto *actions = new QHBoxLayout;
    actions->setSpacing(16);
    actions->addWidget(m_connectButton);
    actions->addWidget(m_copyButton);
    actions->addWidget(m_exportButton);
    actions->addStretch();

    m_stateLabel = SettingsFields::smallLabel(this);
    m_stateLabel->setObjectName(QStringLiteral("serverStateLabel"));
    m_stateLabel->setTextFormat(Qt::PlainText);
    m_stateLabel->setWordWrap(true);
    m_busyLabel = SettingsFields::smallLabel(this);
    m_busyLabel->setObjectName(QStringLiteral("serverBusyLabel"));
    m_busyLabel->setTextFormat(Qt::PlainText);
    m_busyLabel->hide();

    layout->addWidget(m_title, 0, Qt::AlignLeft);
    layout->addSpacing(20);
    layout->addWidget(m_locationCombo, 0, Qt::AlignLeft);
    layout->addWidget(m_serverBox);
    layout->addSpacing(24);
    layout->addLayout(actions);
    layout->addSpacing(12);
    layout->addWidget(m_stateLabel);
    layout->addWidget(m_busyLabel);

    const UserSettings::RecordsServer server = m_settings->recordsServer();
    m_locationCombo->setCurrentIndex(server.enabled ? 1 : 0);
    m_hostEdit->setText(server.host);
    m_portSpin->setValue(server.port > 0 ? server.port : 5432);
    m_databaseEdit->setText(server.database);
    m_userEdit->setText(server.user);
    m_tlsCombo->setCurrentIndex(std::max(0, m_tlsCombo->findData(server.sslMode)));
    m_rootCertEdit->setText(server.sslRootCert);
    showServerFields();

    connect(m_locationCombo, &QComboBox::currentIndexChanged, this,
            &RecordsLocationSection::onLocationChanged);
    connect(m_connectButton, &QPushButton::clicked, this,
            &RecordsLocationSection::onConnectClicked);
    connect(m_copyButton, &QPushButton::clicked, this,
            &RecordsLocationSection::onCopyToServerClicked);
    connect(m_exportButton, &QPushButton::clicked, this, &RecordsLocationSection::onExportClicked);
}

void RecordsLocationSection::retranslate()
{
    m_title->setText(
        uiText(QStringLiteral("settings.records.kept_on"), QStringLiteral("记录保存在")));
    m_locationCombo->setItemText(
        0, uiText(QStringLiteral("settings.records.this_computer"), QStringLiteral("本机")));
    m_locationCombo->setItemText(
        1, uiText(QStringLiteral("settings.records.clinic_server"), QStringLiteral("诊所服务器")));
    m_hostLabel->setText(uiText(QStringLiteral("settings.records.host"), QStringLiteral("主机")));
    m_portLabel->setText(uiText(QStringLiteral("settings.records.port"), QStringLiteral("端口")));
    m_databaseLabel->setText(
        uiText(QStringLiteral("settings.records.database"), QStringLiteral("数据库")));
    m_userLabel->setText(uiText(QStringLiteral("settings.records.user"), QStringLiteral("用户")));
    m_tlsLabel->setText(uiText(QStringLiteral("settings.records.tls"), QStringLiteral("加密连接")));
    m_rootCertLabel->setText(
        uiText(QStringLiteral("settings.records.root_cert"), QStringLiteral("根证书文件")));
    m_hostEdit->setPlaceholderText(QStringLiteral("db.clinic.example"));
    m_databaseEdit->setPlaceholderText(QStringLiteral("lumaural"));
    m_rootCertEdit->setPlaceholderText(uiText(QStringLiteral("settings.records.root_cert_hint"),
                                              QStringLiteral("~/.postgresql/root.crt")));
    const QStringList tlsTexts{
        uiText(QStringLiteral("settings.records.tls_prefer"), QStringLiteral("如服务器支持则加密")),
        uiText(QStringLiteral("settings.records.tls_require"), QStringLiteral("始终加密")),
        uiText(QStringLiteral("settings.records.tls_verify_ca"), QStringLiteral("加密并验证证书")),
        uiText(QStringLiteral("settings.records.tls_verify_full"),
               QStringLiteral("加密并验证证书和主机名")),
        uiText(QStringLiteral("settings.records.tls_disable"), QStringLiteral("不加密"))};
    for (int i = 0; i < tlsTexts.size(); ++i)
        m_tlsCombo->setItemText(i, tlsTexts.at(i));
    m_connectButton->setText(
        uiText(QStringLiteral("settings.records.connect"), QStringLiteral("连接")));
    m_copyButton->setText(uiText(QStringLiteral("settings.records.copy_to_server"),
                                 QStringLiteral("将本机记录复制到服务器")));
    m_exportButton->setText(uiText(QStringLiteral("settings.records.export"),
                                   QStringLiteral("将服务器记录导出为文件")));
    setState(m_state, m_detail);
}

UserSettings::RecordsServer RecordsLocationSection::shownServer() const
{
    UserSettings::RecordsServer server;
    server.enabled = m_locationCombo->currentIndex() == 1;
    server.host = m_hostEdit->text().trimmed();
    server.port = m_portSpin->value();
    server.database = m_databaseEdit->text().trimmed();
    server.user = m_userEdit->text().trimmed();
    server.sslMode = m_tlsCombo->currentData().toString();
    server.sslRootCert = m_rootCertEdit->text().trimmed();
    return server;
}

void RecordsLocationSection::showServerFields()
{
    const bool server = m_locationCombo->currentIndex() == 1;
    m_serverBox->setVisible(server);
    m_copyButton->setVisible(server);
    m_exportButton->setVisible(server);
    m_stateLabel->setVisible(server && m_probed);
}

void RecordsLocationSection::onLocationChanged(int)
{
    showServerFields();
    if (m_locationCombo->currentIndex() == 0) {
        // Back to the files: nothing to connect to.
        UserSettings::RecordsServer server = shownServer();
        if (m_settings->recordsServer().enabled && m_settings->setRecordsServer(server)) {
            useRecordsLocation(server);
            emit recordsLocationChanged();
        }
    }
}

void RecordsLocationSection::onConnectClicked()
{
    const UserSettings::RecordsServer server = shownServer();
    const bool changed = !(server == m_settings->recordsServer());
    if (changed && !m_settings->setRecordsServer(server)) {
        showPromptMessage(window(), uiText(QStringLiteral("settings.records.save_failed"),
                                           QStringLiteral("无法保存服务器设置。")));
        return;
    }
    if (server.enabled) {
        setBusyText(uiText(QStringLiteral("settings.records.connecting"),
                           QStringLiteral("正在连接服务器…")));
        ServerRecordsBackend backend(toServerSettings(server));
        const ServerConnection::State state = backend.probe();
        setBusyText(QString());
        setState(state, backend.connection().detail());
    }
    showServerFields();
    if (changed) {
        useRecordsLocation(server);
        emit recordsLocationChanged();
    }
}

QString RecordsLocationSection::stateText() const
{
    switch (m_state) {
    case ServerConnection::State::Connected:
        return uiText(QStringLiteral("settings.records.state_connected"),
                      QStringLiteral("已连接到服务器。"));
    case ServerConnection::State::Unreachable:
        return uiText(QStringLiteral("settings.records.state_unreachable"),
                      QStringLiteral("无法连接到服务器：%1"))
            .arg(m_detail);
    case ServerConnection::State::WrongCredentials:
        return uiText(QStringLiteral("settings.records.state_wrong_credentials"),
                      QStringLiteral("服务器拒绝登录：请检查用户、数据库和密码文件。%1"))
            .arg(m_detail);
    case ServerConnection::State::SchemaTooNew:
        return uiText(QStringLiteral("settings.records.state_schema_too_new"),
                      QStringLiteral("服务器上的记录来自更新版本的程序，请先升级本程序。"));
    case ServerConnection::State::Failed:
        break;
    }
    return uiText(QStringLiteral("settings.records.state_failed"), QStringLiteral("连接失败：%1"))
        .arg(m_detail);
}

void RecordsLocationSection::setState(ServerConnection::State state, const QString &detail)
{
    m_state = state;
    m_detail = detail.simplified();
    m_probed = m_probed || m_settings->recordsServer().enabled;
    m_stateLabel->setText(stateText());
    m_stateLabel->setStyleSheet(
        QStringLiteral("QLabel { color:%1; font-size:13px; background:transparent; border:none; }")
            .arg(state == ServerConnection::State::Connected ? QStringLiteral("#2e7d32")
                                                             : QStringLiteral("#ec5c0b")));
}

void RecordsLocationSection::setBusyText(const QString &text)
{
    m_busyLabel->setText(text);
    m_busyLabel->setVisible(!text.isEmpty());
    for (QWidget *w :
         {static_cast<QWidget *>(m_connectButton), static_cast<QWidget *>(m_copyButton),
          static_cast<QWidget *>(m_exportButton), static_cast<QWidget *>(m_locationCombo)}) {
        w->setEnabled(text.isEmpty());
    }
    // The copy runs on this thread; keep the window painted between records.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void RecordsLocationSection::onCopyToServerClicked()
{
    if (!showPromptConfirm(
            window(),
            uiText(QStringLiteral("settings.records.copy_confirm"),
                   QStringLiteral("将本机的订单和检查员复制到服务器？"
                                  "本机文件保持不变；已在服务器上的记录不会重复添加。")))) {
        return;
    }
    copyToServer();
}

bool RecordsLocationSection::reach(ServerRecordsBackend &backend)
{
    const ServerConnection::State state = backend.probe();
    setState(state, backend.connection().detail());
    m_stateLabel->show();
    return state == ServerConnection::State::Connected;
}

bool RecordsLocationSection::told(const RecordsMigration::Outcome &outcome, const QString &failed)
{
    setBusyText(QString());
    if (!outcome.ok)
        showPromptMessage(window(), failed.arg(outcome.error));
    return outcome.ok;
}

bool RecordsLocationSection::copyToServer()
{
    ServerRecordsBackend backend(toServerSettings(shownServer()));
    if (!reach(backend))
        return false;
    const QString progressText = uiText(QStringLiteral("settings.records.copy_progress"),
                                        QStringLiteral("正在复制记录：%1 / %2"));
    setBusyText(progressText.arg(0).arg(0));
    const RecordsMigration::Outcome outcome = RecordsMigration::copyToServer(
        backend, loadCustomers(), loadFitters(), loadReportConfig(), [&](int done, int total) {
            setBusyText(progressText.arg(done).arg(total));
            return true;
        });
    if (!told(outcome, uiText(QStringLiteral("settings.records.copy_failed"),
                              QStringLiteral("复制未完成：%1")))) {
        return false;
    }
    showPromptMessage(window(),
                      uiText(QStringLiteral("settings.records.copy_done"),
                             QStringLiteral("已复制并核对：新增订单 %1 个（%2 个已在服务器上），"
                                            "新增检查员 %3 个（%4 个已在服务器上）。"))
                          .arg(outcome.ordersAdded)
                          .arg(outcome.ordersAlreadyThere)
                          .arg(outcome.fittersAdded)
                          .arg(outcome.fittersAlreadyThere));
    return true;
}

void RecordsLocationSection::onExportClicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        window(),
        uiText(QStringLiteral("settings.records.export"), QStringLiteral("将服务器记录导出为文件")),
        QDir::homePath());
    if (!folder.isEmpty())
        exportTo(folder);
}

bool RecordsLocationSection::exportTo(const QString &folder)
{
    ServerRecordsBackend backend(toServerSettings(shownServer()));
    if (!reach(backend))
        return false;
    const QString progressText = uiText(QStringLiteral("settings.records.export_progress"),
                                        QStringLiteral("正在导出记录：%1 / %2"));
    const RecordsMigration::Outcome outcome =
        RecordsMigration::exportToFiles(backend, folder, [&](int done, int total) {
            setBusyText(progressText.arg(done).arg(total));
            return true;
        });
    if (!told(outcome, uiText(QStringLiteral("settings.records.export_failed"),
                              QStringLiteral("导出未完成：%1")))) {
        return false;
    }
    showPromptMessage(window(), uiText(QStringLiteral("settings.records.export_done"),
                                       QStringLiteral("已将 %1 个订单和 %2 个检查员导出到 %3。"))
                                    .arg(outcome.ordersAdded)
                                    .arg(outcome.fittersAdded)
                                    .arg(QDir::toNativeSeparators(folder)));
    return true;
}

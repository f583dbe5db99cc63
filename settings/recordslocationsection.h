#pragma once

#include "records/server/recordsmigration.h"
#include "records/server/serverconnection.h"
#include "settings/usersettings.h"

#include <QWidget>

class ServerRecordsBackend;

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Makes the store every page uses the one `server` names: the clinic server
// when it is enabled, this computer's files otherwise. Nothing connects yet;
// the first page that asks does, so the program starts with the server away.
void useRecordsLocation(const UserSettings::RecordsServer &server);

// The settings page's "Records are kept on" section: this computer or a clinic
// server (host, port, database, user, TLS), the connection's state, and the
// commands that copy this computer's records to the server and export the
// server's records to files. No password is asked for: libpq takes it from
// the user's password file or service file.
class RecordsLocationSection : public QWidget
{
    Q_OBJECT

public:
    explicit RecordsLocationSection(UserSettings *settings, QWidget *parent = nullptr);

    // The server as the fields show it now.
    UserSettings::RecordsServer shownServer() const;
    ServerConnection::State lastState() const { return m_state; }
    QString stateText() const;

signals:
    // The user switched where records are kept, or connected to another server.
    void recordsLocationChanged();

public slots:
    void retranslate();
    // Keeps the fields and, when a server is chosen, connects to it.
    void onConnectClicked();
    // Copies this computer's orders and inspectors to the server, with progress.
    void onCopyToServerClicked();
    // Writes the server's records as customers.json and fitters.json into a folder the user picks.
    void onExportClicked();
    // Writes the server's records into `folder`; the outcome is shown as a prompt.
    bool exportTo(const QString &folder);

private:
    void buildUi();
    void showServerFields();
    void onLocationChanged(int index);
    void setState(ServerConnection::State state, const QString &detail);
    void setBusyText(const QString &text);
    bool copyToServer();
    // Connects and shows the state; true when connected.
    bool reach(ServerRecordsBackend &backend);
    // Ends a copy or export: a failure is said with `failed` (its %1 the reason).
    bool told(const RecordsMigration::Outcome &outcome, const QString &failed);

    UserSettings *m_settings;
    ServerConnection::State m_state = ServerConnection::State::Unreachable;
    bool m_probed = false;
    QString m_detail;

    QLabel *m_title = nullptr;
    QComboBox *m_locationCombo = nullptr;
    QWidget *m_serverBox = nullptr;
    QLabel *m_hostLabel = nullptr;
    QLabel *m_portLabel = nullptr;
    QLabel *m_databaseLabel = nullptr;
    QLabel *m_userLabel = nullptr;
    QLabel *m_tlsLabel = nullptr;
    QLabel *m_rootCertLabel = nullptr;
    QLineEdit *m_hostEdit = nullptr;
    QSpinBox *m_portSpin = nullptr;
    QLineEdit *m_databaseEdit = nullptr;
    QLineEdit *m_userEdit = nullptr;
    QComboBox *m_tlsCombo = nullptr;
    QLineEdit *m_rootCertEdit = nullptr;
    QPushButton *m_connectButton = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QLabel *m_stateLabel = nullptr;
    QLabel *m_busyLabel = nullptr;
};

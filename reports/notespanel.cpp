#include "reports/notespanel.h"

#include "i18n/langmanager.h"
#include "reports/reportlayout.h"
#include "ui/common/promptdialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

NotesPanel::NotesPanel(QWidget *host)
    : ModalPanel(host, QStringLiteral("notesPanel"), &ReportLayout::notesPanelSize),
      m_config(loadReportConfig())
{
    QVBoxLayout *layout = panelLayout();
    layout->setContentsMargins(36, 28, 36, 28);

    QString heading =
        uiText(QStringLiteral("report.notes_with_colon"), QStringLiteral("Report Notes:"));
    for (const QChar colon : {QChar(u':'), QChar(u'：')}) {
        if (heading.endsWith(colon)) {
            heading.chop(1);
            break;
        }
    }
    auto *title = new QLabel(heading, panel());
    title->setObjectName(QStringLiteral("notesHeading"));
    title->setStyleSheet(QStringLiteral(
        "color: #585656; font-size: 16px; font-weight: bold; background: transparent;"));
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(title);
    layout->addSpacing(18);
    auto *line = new QFrame(panel());
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: #ededed; border: none;"));
    layout->addWidget(line);
    layout->addSpacing(26 + 8);

    m_editor = new QPlainTextEdit(panel());
    m_editor->setObjectName(QStringLiteral("notesEditor"));
    m_editor->setPlainText(m_config.defaultNotes);
    m_editor->setPlaceholderText(uiText(QStringLiteral("order_detail.report_notes.placeholder"),
                                        QStringLiteral("Special Notes: None.")));
    m_editor->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: white; border: 2px solid #d3d3d3; border-radius: 8px; "
        "color: #333333; font-size: 16px; padding: 12px; }"
        "QPlainTextEdit:focus { border: 2px solid #ec5c0b; }"));
    layout->addWidget(m_editor, 1);
    layout->addSpacing(24);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(14);
    QPushButton *cancel =
        actionButton(uiText(QStringLiteral("common.cancel"), QStringLiteral("Cancel")), false,
                     QStringLiteral("notesCancelButton"), QSize(120, 44));
    QPushButton *save = actionButton(uiText(QStringLiteral("common.save"), QStringLiteral("Save")),
                                     true, QStringLiteral("notesSaveButton"), QSize(120, 44));
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &NotesPanel::save);
}

void NotesPanel::open(QWidget *host)
{
    NotesPanel panel(host);
    panel.exec();
}

void NotesPanel::save()
{
    ReportConfig config = m_config;
    config.defaultNotes = m_editor->toPlainText().trimmed();
    if (!saveReportConfig(config)) {
        showPromptMessage(this, uiText(QStringLiteral("order_detail.report_notes.save_failed"),
                                       QStringLiteral("The report notes could not be saved.")));
        return;
    }
    accept();
}

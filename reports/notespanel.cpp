#include "reports/notespanel.h"

#include "i18n/langmanager.h"
#include "records/orderdetailpage.h"
#include "records/store/recordstore.h"
#include "reports/reportlayout.h"
#include "ui/common/promptdialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *captionLabel(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setStyleSheet(
        QStringLiteral("color: #585656; font-size: 13px; background: transparent;"));
    return label;
}

} // namespace

NotesPanel::NotesPanel(QWidget *host, OrderDetailPage *page)
    : ModalPanel(host, QStringLiteral("notesPanel"), &ReportLayout::notesPanelSize),
      m_config(loadReportConfig()), m_page(page)
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
    layout->addSpacing(18);

    // Findings about one patient belong to the order; the shared notes are
    // printed for every patient, which the panel has to say plainly.
    if (page) {
        layout->addWidget(captionLabel(
            uiText(QStringLiteral("order_detail.report_notes.order_caption"),
                   QStringLiteral("This order's notes (printed as the customer notes on "
                                  "this order's report only):")),
            QStringLiteral("orderNotesCaption"), panel()));
        layout->addSpacing(8);
        m_orderEditor =
            notesEditor(QStringLiteral("orderNotesEditor"), page->currentOrder().notes,
                        uiText(QStringLiteral("order_detail.report_notes.order_placeholder"),
                               QStringLiteral("Findings for this customer")));
        layout->addWidget(m_orderEditor, 1);
        layout->addSpacing(16);
    }
    layout->addWidget(
        captionLabel(uiText(QStringLiteral("order_detail.report_notes.shared_caption"),
                            QStringLiteral("Report notes shared by all orders (appear on every "
                                           "printed report):")),
                     QStringLiteral("sharedNotesCaption"), panel()));
    layout->addSpacing(8);
    m_editor = notesEditor(QStringLiteral("notesEditor"), m_config.defaultNotes,
                           uiText(QStringLiteral("order_detail.report_notes.placeholder"),
                                  QStringLiteral("Special Notes: None.")));
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

QPlainTextEdit *NotesPanel::notesEditor(const QString &objectName, const QString &text,
                                        const QString &placeholder)
{
    auto *editor = new QPlainTextEdit(panel());
    editor->setObjectName(objectName);
    editor->setPlainText(text);
    editor->setPlaceholderText(placeholder);
    editor->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: white; border: 2px solid #d3d3d3; border-radius: 8px; "
        "color: #333333; font-size: 16px; padding: 12px; }"
        "QPlainTextEdit:focus { border: 2px solid #ec5c0b; }"));
    return editor;
}

void NotesPanel::open(QWidget *host)
{
    NotesPanel panel(host);
    panel.exec();
}

void NotesPanel::open(OrderDetailPage *page)
{
    NotesPanel panel(page, page);
    panel.exec();
}

void NotesPanel::save()
{
    if (m_orderEditor) {
        const QString notes = m_orderEditor->toPlainText().trimmed();
        switch (updateCustomerNotes(m_page->currentOrder().id, notes)) {
        case NotesUpdate::Saved:
        case NotesUpdate::Unchanged:
            m_page->setOrderNotes(notes);
            break;
        case NotesUpdate::Missing:
            showPromptMessage(this,
                              uiText(QStringLiteral("order_detail.report_notes.order_missing"),
                                     QStringLiteral("This order is no longer stored, so its "
                                                    "notes could not be saved.")));
            return;
        case NotesUpdate::Failed:
            showPromptMessage(this,
                              uiText(QStringLiteral("order_detail.report_notes.order_failed"),
                                     QStringLiteral("The order's notes could not be saved.")));
            return;
        }
    }
    ReportConfig config = m_config;
    config.defaultNotes = m_editor->toPlainText().trimmed();
    if (config.defaultNotes != m_config.defaultNotes && !saveReportConfig(config)) {
        showPromptMessage(this, uiText(QStringLiteral("order_detail.report_notes.save_failed"),
                                       QStringLiteral("The report notes could not be saved.")));
        return;
    }
    accept();
}

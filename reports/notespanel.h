#pragma once

#include "records/store/reportconfig.h"
#include "reports/modalpanel.h"

class OrderDetailPage;
class QPlainTextEdit;

// Edits the notes of a printed report: the order's own notes (printed as its
// customer notes, on its report only) and the report notes of the report
// configuration, one clinic-wide text that every report shows.
class NotesPanel : public ModalPanel
{
    Q_OBJECT

public:
    // Without a page there is no order to edit, only the shared notes.
    explicit NotesPanel(QWidget *host, OrderDetailPage *page = nullptr);

    // Runs the panel over `host`'s window for the shared notes alone.
    static void open(QWidget *host);
    // Runs the panel for the order shown on `page` and the shared notes.
    static void open(OrderDetailPage *page);

    QPlainTextEdit *editor() const { return m_editor; }
    // Null when the panel edits no order.
    QPlainTextEdit *orderEditor() const { return m_orderEditor; }

public slots:
    // Stores what changed, trimmed, and closes; when something cannot be
    // written the user is told and the panel stays open with the text.
    void save();

private:
    QPlainTextEdit *notesEditor(const QString &objectName, const QString &text,
                                const QString &placeholder);

    ReportConfig m_config;
    OrderDetailPage *m_page = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    QPlainTextEdit *m_orderEditor = nullptr;
};

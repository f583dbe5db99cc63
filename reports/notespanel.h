#pragma once

#include "reports/modalpanel.h"
#include "reports/reportconfig.h"

class QPlainTextEdit;

// Edits the report notes that every printed report shows. The notes are one
// text of the report configuration, not part of an order.
class NotesPanel : public ModalPanel
{
    Q_OBJECT

public:
    explicit NotesPanel(QWidget *host);

    // Runs the panel over `host`'s window.
    static void open(QWidget *host);

    QPlainTextEdit *editor() const { return m_editor; }

public slots:
    // Stores the trimmed notes and closes; when the file cannot be written the
    // user is told and the panel stays open with the text.
    void save();

private:
    ReportConfig m_config;
    QPlainTextEdit *m_editor = nullptr;
};

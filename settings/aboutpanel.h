#pragma once

#include "reports/modalpanel.h"

class QTextBrowser;

// The settings page's about panel: the notice that the program is built with
// Qt under the GNU LGPL version 3, with the licence's web address as a link,
// and uses libjpeg-turbo (with the acknowledgement its licence asks for).
class AboutPanel : public ModalPanel
{
    Q_OBJECT

public:
    explicit AboutPanel(QWidget *host);

    // The panel inside a window of `window` size: 520..740 by 320..460.
    static QSize panelSize(const QSize &window);
    // `notice` as HTML that shows it exactly as written, with web addresses as links.
    static QString noticeHtml(const QString &notice);

    QTextBrowser *noticeView() const { return m_notice; }

private:
    QTextBrowser *m_notice = nullptr;
};

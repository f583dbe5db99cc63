#include "reports/printpanel.h"

#include "i18n/langmanager.h"
#include "records/exportfolder.h"
#include "records/exportnaming.h"
#include "records/orderdetailpage.h"
#include "records/store/reportconfig.h"
#include "reports/reportlayout.h"
#include "reports/reportpdfwriter.h"
#include "reports/reportprinter.h"
#include "reports/reportsheet.h"
#include "ui/common/promptdialog.h"

#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

PrintPanel::PrintPanel(OrderDetailPage *page)
    : ModalPanel(page, QStringLiteral("printPanel"), &ReportLayout::printPanelSize),
      m_order(page->currentOrder())
{
    QVBoxLayout *layout = panelLayout();
    layout->setContentsMargins(47, 33, 47, 15);

    auto *header = new QHBoxLayout;
    header->setSpacing(14);
    auto *close = new QPushButton(panel());
    close->setObjectName(QStringLiteral("printCloseButton"));
    close->setFixedSize(34, 34);
    close->setIcon(QIcon(QStringLiteral(":/res/orderManage/order_detail_header_icon.png")));
    close->setIconSize(QSize(24, 24));
    close->setCursor(Qt::PointingHandCursor);
    close->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    auto *title = new QLabel(
        uiText(QStringLiteral("order_detail.print.title"), QStringLiteral("Print Report")),
        panel());
    title->setStyleSheet(QStringLiteral(
        "color: #585656; font-size: 16px; font-weight: bold; background: transparent;"));
    header->addWidget(close, 0, Qt::AlignVCenter);
    header->addWidget(title, 0, Qt::AlignVCenter);
    header->addStretch();
    layout->addLayout(header);
    layout->addSpacing(26);
    auto *line = new QFrame(panel());
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: #ededed; border: none;"));
    layout->addWidget(line);
    layout->addSpacing(22);

    auto *scroll = new QScrollArea(panel());
    scroll->setObjectName(QStringLiteral("printScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll->viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: #c0c0c0; border-radius: 3px; min-height: 30px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; "
        "}"));
    m_sheet = new ReportSheet(loadReportConfig(), page->currentOrder(),
                              page->selectedPhotoIndices(), panel()->width());
    scroll->setWidget(m_sheet);
    layout->addWidget(scroll, 1);
    layout->addSpacing(23);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(40);
    QPushButton *cancel =
        actionButton(uiText(QStringLiteral("common.cancel"), QStringLiteral("Cancel")), false,
                     QStringLiteral("printCancelButton"), QSize(152, 50));
    QPushButton *print =
        actionButton(uiText(QStringLiteral("common.print"), QStringLiteral("Print")), true,
                     QStringLiteral("printButton"), QSize(152, 50));
    QPushButton *savePdf = actionButton(
        uiText(QStringLiteral("order_detail.print.save_pdf"), QStringLiteral("Save as PDF")), false,
        QStringLiteral("savePdfButton"), QSize(152, 50));
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(savePdf);
    buttons->addWidget(print);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &PrintPanel::printReportSheet);
    connect(savePdf, &QPushButton::clicked, this, &PrintPanel::onSavePdfClicked);
}

void PrintPanel::open(OrderDetailPage *page)
{
    if (page->selectedPhotoIndices().isEmpty()) {
        showPromptMessage(page, uiText(QStringLiteral("order_detail.print.photo_required"),
                                       QStringLiteral("Please select at least one photo for the "
                                                      "print report.")));
        return;
    }
    PrintPanel panel(page);
    panel.exec();
}

void PrintPanel::printReportSheet()
{
    QPrinter printer(QPrinter::HighResolution);
    // Over the panel, not under it: the panel covers the page.
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (ReportPrinter::printSheet(m_sheet, &printer, m_sheet->keepWhole(),
                                  m_sheet->runningHeader()) == 0) {
        // The panel stays open so the user can choose another printer.
        showPromptMessage(this, uiText(QStringLiteral("order_detail.print.failed"),
                                       QStringLiteral("The report could not be printed.")));
        return;
    }
    accept();
}

void PrintPanel::onSavePdfClicked()
{
    const QString proposed = ExportFolder::last() + QLatin1Char('/') +
                             ExportNaming::reportFileName(m_order.orderNumber, m_order.createdAt);
    QString path = QFileDialog::getSaveFileName(
        this, uiText(QStringLiteral("order_detail.print.save_pdf"), QStringLiteral("Save as PDF")),
        proposed, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    ExportFolder::remember(path);
    if (!ReportPdfWriter::write(path, m_sheet, m_sheet->keepWhole(),
                                ReportPdfWriter::infoFor(loadReportConfig(), m_order),
                                m_sheet->runningHeader())) {
        showPromptMessage(this, uiText(QStringLiteral("order_detail.print.save_pdf_failed"),
                                       QStringLiteral("The PDF file could not be saved. Check "
                                                      "that the folder is writable and the disk "
                                                      "has room.")));
        return;
    }
    accept();
}

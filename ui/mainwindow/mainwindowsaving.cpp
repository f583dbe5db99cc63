// Saving an inspection as an order: straight into customers.json for an
// order begun on the new-order page, otherwise through that page.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "records/orderdetailpage.h"
#include "records/recordstore.h"
#include "records/savereportpage.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/navigationrules.h"

#include <QDateTime>
#include <QDebug>

QList<ReportPhoto> MainWindow::collectReportPhotos() const
{
    return m_leftPhotos.reportPhotos() + m_rightPhotos.reportPhotos();
}

void MainWindow::onSaveReportButtonClicked()
{
    qDebug() << "用户点击保存报告按钮，跳转至保存检查信息页面";
    if (collectReportPhotos().isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("inspect.report.capture_required"),
                                       QStringLiteral("请至少先拍摄一张照片")));
        return;
    }
    if (!showPromptConfirm(this, uiText(QStringLiteral("inspect.report.save_confirm"),
                                        QStringLiteral("确定保存报告？"))))
        return;
    // Collected after the prompt, so a capture made meanwhile is not left out.
    const QList<ReportPhoto> photos = collectReportPhotos();

    if (!m_hasInspectionContext) {
        m_saveReportPage->reset(SaveReportPage::FromInspection);
        m_saveReportPage->setPhotos(photos);
        showPage(PageIndex::SaveReport, NavEntry::None);
        return;
    }

    Customer order = m_draftCustomer;
    order.id = nextCustomerId(loadCustomers());
    order.createdAt = QDateTime::currentDateTime().toString(Qt::ISODate);
    order.photos = StoredPhoto::fromEntries(photoEntries(photos));
    if (!appendCustomer(order)) {
        // Context, draft and photos stay: the user can free space and try again.
        qDebug() << "订单保存失败:" << customersFilePath();
        showPromptMessage(this, uiText(QStringLiteral("order.save_failed_disk_permission"),
                                       QStringLiteral("订单保存失败，请检查磁盘权限。")));
        return;
    }
    m_orderDetailPage->showOrder(order);
    clearInspectionContext();
    showPage(PageIndex::OrderDetail, NavEntry::Orders);
}

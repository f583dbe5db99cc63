// Saving an inspection as an order: straight into customers.json for an
// order begun on the new-order page, otherwise through that page.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "records/orderdetailpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/navigationrules.h"

#include <QDateTime>
#include <QDebug>

QList<ReportPhoto> MainWindow::collectReportPhotos() const
{
    return m_leftPhotos.reportPhotos() + m_rightPhotos.reportPhotos();
}

QString MainWindow::saveConfirmText() const
{
    QStringList refiled = m_leftPhotos.refiledOrderNumbers() + m_rightPhotos.refiledOrderNumbers();
    refiled.removeDuplicates();
    if (refiled.isEmpty())
        return uiText(QStringLiteral("inspect.report.save_confirm"),
                      QStringLiteral("确定保存报告？"));
    const int count =
        int(m_leftPhotos.refiledIndices().size() + m_rightPhotos.refiledIndices().size());
    return uiText(
               QStringLiteral("inspect.report.save_confirm_refiled"),
               QStringLiteral("确定保存报告？\n勾选的 %1 张照片已存入订单 %2，也将保存到此报告。"))
        .arg(count)
        .arg(refiled.join(QStringLiteral(", ")));
}

void MainWindow::fileHeldPhotos(const QString &orderNumber)
{
    m_leftPhotos.fileHeld(orderNumber);
    m_rightPhotos.fileHeld(orderNumber);
    refreshPhotoList();
}

void MainWindow::onSaveReportButtonClicked()
{
    qDebug() << "用户点击保存报告按钮，跳转至保存检查信息页面";
    if (m_leftPhotos.isEmpty() && m_rightPhotos.isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("inspect.report.capture_required"),
                                       QStringLiteral("请至少先拍摄一张照片")));
        return;
    }
    if (collectReportPhotos().isEmpty()) {
        showPromptMessage(this,
                          uiText(QStringLiteral("inspect.report.all_filed"),
                                 QStringLiteral("这些照片都已存入订单。如需再次保存，请先勾选。")));
        return;
    }
    // One question covers every ticked photo that is already in an order.
    if (!showPromptConfirm(this, saveConfirmText()))
        return;
    // Taken after the prompt, so a capture made meanwhile is not left out.
    m_leftPhotos.holdForOrder();
    m_rightPhotos.holdForOrder();
    const QList<ReportPhoto> photos = collectReportPhotos();

    if (!m_hasInspectionContext) {
        // Filed when the new-order page reports the order saved.
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
    fileHeldPhotos(order.orderNumber);
    m_orderDetailPage->showOrder(order);
    clearInspectionContext();
    showPage(PageIndex::OrderDetail, NavEntry::Orders);
}

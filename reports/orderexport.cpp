#include "reports/orderexport.h"

#include "i18n/langmanager.h"
#include "records/exportfolder.h"
#include "records/exportnaming.h"
#include "records/orderdetailpage.h"
#include "records/store/customer.h"
#include "records/store/jsonfilestore.h"
#include "records/store/reportconfig.h"
#include "reports/reportlayout.h"
#include "reports/reportpdfwriter.h"
#include "reports/reportsheet.h"
#include "ui/common/promptdialog.h"
#include "ui/common/transientnotice.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

namespace {

// The widest print panel: the report in the file looks as on the largest screen.
constexpr int ReportPanelWidth = 988;

} // namespace

QStringList OrderExport::photoFileNames(const Customer &order)
{
    QSet<QString> taken;
    // The report goes beside the photos under this name.
    taken.insert(ExportNaming::reportFileName(order.orderNumber, order.createdAt).toLower());
    QStringList names;
    for (const StoredPhoto &photo : order.photos) {
        QString name = ExportNaming::safeFileName(photo.name().trimmed(), QStringLiteral("photo"));
        const QString suffix = QFileInfo(name).suffix().toLower();
        if (suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg"))
            name += QStringLiteral(".jpg");
        names.append(ExportNaming::uniqueName(name, taken));
    }
    return names;
}

QString OrderExport::exportTo(const QString &parent, const Customer &order,
                              const QList<int> &reportPhotos, const ReportConfig &config)
{
    const QString reportName = ExportNaming::reportFileName(order.orderNumber, order.createdAt);
    // Written under a hidden name and renamed at the end, so an export that
    // fails part-way leaves no folder that looks complete.
    QTemporaryDir work(parent + QStringLiteral("/.lumaural-export-XXXXXX"));
    if (!work.isValid())
        return {};
    const QStringList names = photoFileNames(order);
    for (int i = 0; i < order.photos.size(); ++i) {
        const StoredPhoto &photo = order.photos.at(i);
        const QByteArray bytes = photo.imageData();
        if (bytes.isEmpty()) {
            // A photo whose stored text is no picture has nothing to export;
            // one that cannot be read now would be missing from the folder.
            if (photo.isReference() && photo.entry().isEmpty())
                return {};
            qWarning() << "Order export: photo" << i << "of order" << order.id << "has no data";
            continue;
        }
        if (!JsonFileStore::writeFileWhole(work.filePath(names.at(i)), bytes))
            return {};
    }

    QList<int> shown = reportPhotos;
    if (shown.isEmpty())
        for (int i = 0; i < order.photos.size(); ++i)
            shown.append(i);
    ReportSheet sheet(config, order, shown, ReportPanelWidth);
    sheet.fitToWidth(ReportLayout::sheetWidth(ReportPanelWidth));
    if (!ReportPdfWriter::write(work.filePath(reportName), &sheet, sheet.keepWhole(),
                                ReportPdfWriter::infoFor(config, order), sheet.runningHeader()))
        return {};

    const QString base = reportName.chopped(4);
    QString target = parent + QLatin1Char('/') + base;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = parent + QLatin1Char('/') + base + QLatin1Char('_') + QString::number(n);
    // QTemporaryDir makes its folder private to the user; the export is for sharing.
    QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
    if (!QDir().rename(work.path(), target) || !JsonFileStore::syncDirectoryOf(target))
        return {};
    work.setAutoRemove(false);
    return target;
}

void OrderExport::run(OrderDetailPage *page)
{
    const QString parent =
        QFileDialog::getExistingDirectory(page,
                                          uiText(QStringLiteral("order_detail.export.choose"),
                                                 QStringLiteral("Choose a folder for the export")),
                                          ExportFolder::last(), QFileDialog::ShowDirsOnly);
    if (parent.isEmpty())
        return;
    ExportFolder::remember(parent, true);
    const QString folder =
        exportTo(parent, page->currentOrder(), page->selectedPhotoIndices(), loadReportConfig());
    if (folder.isEmpty()) {
        showPromptMessage(page, uiText(QStringLiteral("order_detail.export.failed"),
                                       QStringLiteral("The order could not be exported. Check "
                                                      "that the folder is writable and the disk "
                                                      "has room.")));
        return;
    }
    TransientNotice::showOver(
        page, uiText(QStringLiteral("order_detail.export.done"), QStringLiteral("Exported to %1"))
                  .arg(QDir::toNativeSeparators(folder)));
}

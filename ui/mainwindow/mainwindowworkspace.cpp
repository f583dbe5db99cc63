// The photos of the workspace that are in no order yet: asked about before
// they leave the workspace, noted on disk, and offered back after a run that
// ended without the window being closed.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "ui/common/promptdialog.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFile>

int MainWindow::unfiledPhotoCount() const
{
    int count = 0;
    for (const EarPhotoList *photos : {&m_leftPhotos, &m_rightPhotos}) {
        for (int i = 0; i < photos->size(); ++i)
            count += photos->at(i).isFiled() ? 0 : 1;
    }
    return count;
}

void MainWindow::noteWorkspace()
{
    if (!m_journalEnabled)
        return;
    QList<WorkspaceJournal::Entry> entries;
    for (const EarPhotoList *photos : {&m_leftPhotos, &m_rightPhotos}) {
        for (int i = 0; i < photos->size(); ++i) {
            const CapturedPhoto &photo = photos->at(i);
            if (!photo.isFiled() && !photo.path.isEmpty())
                entries.append({photo.path, photos->ear() == EarPhotoList::Left});
        }
    }
    m_journal.record(entries);
}

void MainWindow::offerUnfiledPhotos()
{
    m_journalEnabled = true;
    const QList<WorkspaceJournal::Entry> entries = m_journal.recoverable();
    if (!entries.isEmpty() &&
        showPromptConfirm(this,
                          uiText(QStringLiteral("inspect.recover_confirm"),
                                 QStringLiteral("上次有 %1 张照片未存入订单，要放回工作区吗？"))
                              .arg(entries.size()))) {
        for (const WorkspaceJournal::Entry &entry : entries) {
            QFile file(entry.path);
            const QByteArray jpeg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            const QImage image = QImage::fromData(jpeg, "JPG");
            if (image.isNull()) {
                qDebug() << "照片无法读取:" << entry.path;
                continue;
            }
            CapturedPhoto photo(jpeg, CapturedPhoto::makePreview(image));
            photo.path = entry.path;
            (entry.leftEar ? m_leftPhotos : m_rightPhotos).append(photo);
        }
        qDebug() << "已放回工作区的照片:" << m_leftPhotos.size() + m_rightPhotos.size();
    }
    // Declined, the note goes: the files stay in the photo folder, and the
    // question is not asked again at every start.
    refreshPhotoList();
    noteWorkspace();
}

bool MainWindow::confirmClearingWorkspace()
{
    const int unfiled = unfiledPhotoCount();
    return unfiled == 0 ||
           showPromptConfirm(this,
                             uiText(QStringLiteral("inspect.new_inspection_confirm"),
                                    QStringLiteral("有 %1 张照片未存入订单，要移出工作区吗？"
                                                   "（取消则保留）"))
                                 .arg(unfiled),
                             PromptDefault::Cancel);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const int unfiled = unfiledPhotoCount();
    if (unfiled > 0 &&
        !showPromptConfirm(this,
                           uiText(QStringLiteral("inspect.close_confirm"),
                                  QStringLiteral("有 %1 张照片未存入订单，仍要关闭吗？"))
                               .arg(unfiled),
                           PromptDefault::Cancel)) {
        event->ignore();
        return;
    }
    // Left on purpose: nothing to offer back at the next start.
    m_journal.record({});
    QMainWindow::closeEvent(event);
}

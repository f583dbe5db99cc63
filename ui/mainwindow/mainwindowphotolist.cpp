// The photo list of the current ear: thumbnails, ticks, single and batch
// deletion, and batch save-as.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "ui/common/plaintooltip.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/photostorage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// One style sheet on the list for the thumbnails of an ear, set when the ear
// changes: a sheet per widget would be parsed again for every item.
QString thumbnailStyle(const QString &earColor, const QString &tickColor)
{
    return QStringLiteral(
               "QWidget#photoListContent { background: white; }"
               "QFrame#thumbnailItem { background: transparent; border: none; }"
               "QPushButton#thumbnailButton, QPushButton#thumbnailButton:hover "
               "{ background: white; border: 2px solid %1; border-radius: 20px; }"
               "QPushButton#thumbnailButton[ticked=\"true\"], "
               "QPushButton#thumbnailButton[ticked=\"true\"]:hover { border-width: 5px; }"
               "QLabel#thumbnailPicture { background: transparent; border: none; }"
               "QCheckBox#thumbnailCheck { background: transparent; spacing: 0; }"
               "QCheckBox#thumbnailCheck::indicator { width: 18px; height: 18px; "
               "border: 2px solid %2; border-radius: 4px; background: white; }"
               "QCheckBox#thumbnailCheck::indicator:checked { background: %2; }"
               // The photo just taken, then the one enlarged in the centre: a
               // ring around the item, apart from the ear's border and the tick.
               "QFrame#thumbnailItem[viewed=\"true\"] { background: #333333; border-radius: 22px; }"
               "QFrame#thumbnailItem[fresh=\"true\"] { background: #ffb300; border-radius: 22px; }"
               "QPushButton#thumbnailDelete { background: transparent; border: none; "
               "border-radius: 6px; padding: 2px; }"
               "QPushButton#thumbnailDelete:hover { background: rgba(255,245,240,0.7); }"
               "QLabel#thumbnailFiled { background: rgba(0,0,0,0.6); color: white; border: none; "
               "border-radius: 11px; font-size: 12px; }")
        .arg(earColor, tickColor);
}

} // namespace

void MainWindow::applyPhotoListStyle()
{
    const QString ear = m_leftEarSelected ? QStringLiteral("left") : QStringLiteral("right");
    if (ear == m_photoListStyleEar)
        return;
    m_photoListStyleEar = ear;
    m_photoListContent->setStyleSheet(
        m_leftEarSelected ? thumbnailStyle(QStringLiteral("#2c84fd"), QStringLiteral("#2c84fd"))
                          : thumbnailStyle(QStringLiteral("#ec5c0b"), QStringLiteral("#fe6b2a")));
}

void MainWindow::refreshPhotoList()
{
    if (!m_photoListLayout)
        return;
    // The rows are taken out and filled in again from the lists. The item
    // widgets themselves are kept and bound to the photos anew: creating and
    // styling five widgets per photo on every change made a list of forty
    // photos slow to rebuild.
    while (QLayoutItem *item = m_photoListLayout->takeAt(0))
        delete item;
    applyPhotoListStyle();
    updateSaveReportButton();
    updateEarCounts();
    noteWorkspace();
    const EarPhotoList &photos = currentPhotos();
    qDebug() << (m_leftEarSelected ? "左耳" : "右耳") << "显示" << photos.size() << "张照片";

    m_photoListBuiltWidth = m_photoList->width();
    for (int i = photos.size(); i < m_thumbnailItems.size(); ++i)
        m_thumbnailItems.at(i)->hide();
    if (photos.isEmpty()) {
        m_batchArea->hide();
        {
            const QSignalBlocker blocker(m_selectAllCheck);
            m_selectAllCheck->setChecked(false);
        }
        m_selectAllCheck->setEnabled(false);
        m_batchSaveAsButton->setEnabled(false);
        m_batchDeleteButton->setEnabled(false);
        m_compareButton->setEnabled(false);
        m_emptyPhotoLabel->show();
        m_photoListLayout->addStretch();
        m_photoListLayout->addWidget(m_emptyPhotoLabel);
        m_photoListLayout->addStretch();
        return;
    }
    m_batchArea->show();
    m_emptyPhotoLabel->hide();
    m_selectAllCheck->setEnabled(true);
    m_batchSaveAsButton->setEnabled(true);
    m_batchDeleteButton->setEnabled(true);
    m_compareButton->setEnabled(m_leftPhotos.size() + m_rightPhotos.size() >= 2);
    {
        const QSignalBlocker blocker(m_selectAllCheck);
        m_selectAllCheck->setChecked(photos.allChecked());
    }
    // Items are as wide as the list, less its scroll bar when they will need one.
    QSize itemSize = InspectionMetrics::thumbnailItemSize(m_photoListBuiltWidth);
    const int spacing = m_photoListLayout->spacing();
    if (photos.size() * (itemSize.height() + spacing) - spacing > m_photoList->height())
        itemSize = InspectionMetrics::thumbnailItemSize(
            m_photoListBuiltWidth - m_photoList->verticalScrollBar()->sizeHint().width());
    for (int i = 0; i < photos.size(); ++i) {
        if (i == m_thumbnailItems.size())
            m_thumbnailItems.append(buildThumbnail());
        QFrame *item = m_thumbnailItems.at(i);
        bindThumbnail(item, i, itemSize);
        m_photoListLayout->addWidget(item, 0, Qt::AlignHCenter);
        item->show(); // now, not when the layout gets round to it
    }
    m_photoListLayout->addStretch();
}

void MainWindow::markThumbnail(QFrame *item, int index)
{
    const bool fresh = index == m_freshPhotoIndex && m_freshLeftEar == m_leftEarSelected;
    const bool viewed = index == m_viewedPhotoIndex && m_viewedLeftEar == m_leftEarSelected;
    if (item->property("fresh").toBool() == fresh && item->property("viewed").toBool() == viewed)
        return;
    item->setProperty("fresh", fresh);
    item->setProperty("viewed", viewed);
    item->style()->unpolish(item);
    item->style()->polish(item);
    item->update();
}

void MainWindow::markThumbnails()
{
    const int shown = std::min(currentPhotos().size(), int(m_thumbnailItems.size()));
    for (int i = 0; i < shown; ++i)
        markThumbnail(m_thumbnailItems.at(i), i);
}

void MainWindow::showNewPhoto(int index)
{
    constexpr int LitMs = 1200;
    m_freshPhotoIndex = index;
    m_freshLeftEar = m_leftEarSelected;
    markThumbnails();
    if (!m_freshTimer) {
        m_freshTimer = new QTimer(this);
        m_freshTimer->setObjectName(QStringLiteral("freshPhotoTimer"));
        m_freshTimer->setSingleShot(true);
        connect(m_freshTimer, &QTimer::timeout, this, [this] {
            m_freshPhotoIndex = -1;
            markThumbnails();
        });
    }
    m_freshTimer->start(LitMs);
    // The list lays itself out on the next turn of the event loop; only then
    // does the new item have the place to scroll to.
    const bool left = m_leftEarSelected;
    QTimer::singleShot(0, this, [this, index, left] {
        if (left != m_leftEarSelected || index >= currentPhotos().size() ||
            index >= m_thumbnailItems.size())
            return;
        m_photoListLayout->activate();
        QCoreApplication::sendPostedEvents(m_photoList, QEvent::LayoutRequest);
        m_photoList->ensureWidgetVisible(m_thumbnailItems.at(index), 0, 0);
    });
}

QFrame *MainWindow::buildThumbnail()
{
    auto *item = new QFrame(m_photoListContent);
    item->setObjectName(QStringLiteral("thumbnailItem"));
    auto indexOf = [item] { return item->property("photoIndex").toInt(); };

    auto *button = new QPushButton(item);
    button->setObjectName(QStringLiteral("thumbnailButton"));
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this,
            [this, indexOf] { onThumbnailClicked(indexOf()); });

    auto *picture = new QLabel(button);
    picture->setObjectName(QStringLiteral("thumbnailPicture"));
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *check = new QCheckBox(button);
    check->setObjectName(QStringLiteral("thumbnailCheck"));
    check->setCursor(Qt::PointingHandCursor);
    connect(check, &QCheckBox::toggled, this, [this, indexOf](bool checked) {
        currentPhotos().setChecked(indexOf(), checked);
        refreshPhotoList();
    });

    // Shown on a photo that is already in an order.
    auto *filed = new QLabel(button);
    filed->setObjectName(QStringLiteral("thumbnailFiled"));
    filed->setTextFormat(Qt::PlainText);
    filed->setContentsMargins(8, 0, 8, 0);
    filed->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto *remove = new QPushButton(button);
    remove->setObjectName(QStringLiteral("thumbnailDelete"));
    remove->setCursor(Qt::PointingHandCursor);
    remove->setIcon(QIcon(QStringLiteral(":/res/delete-2x.png")));
    remove->setIconSize(QSize(22, 24));
    connect(remove, &QPushButton::clicked, this,
            [this, indexOf] { onDeletePhotoClicked(indexOf()); });
    return item;
}

void MainWindow::bindThumbnail(QFrame *item, int index, const QSize &itemSize)
{
    const CapturedPhoto &photo = currentPhotos().at(index);
    item->setProperty("photoIndex", index);
    item->setFixedSize(itemSize);
    auto *button = item->findChild<QPushButton *>(QStringLiteral("thumbnailButton"));
    button->setGeometry(2, 2, itemSize.width() - 4, itemSize.height() - 4);
    if (button->property("ticked").toBool() != photo.checked) {
        button->setProperty("ticked", photo.checked);
        button->style()->unpolish(button); // the border follows the tick
        button->style()->polish(button);
    }
    const int inset = photo.checked ? 5 : 2;
    const QRect pictureRect =
        QRect(QPoint(0, 0), button->size()).adjusted(inset, inset, -inset, -inset);
    auto *picture = button->findChild<QLabel *>(QStringLiteral("thumbnailPicture"));
    picture->setGeometry(pictureRect);
    picture->setPixmap(photo.thumbnail(pictureRect.size(), devicePixelRatioF()));

    auto *check = button->findChild<QCheckBox *>(QStringLiteral("thumbnailCheck"));
    check->setGeometry(inset + 4, inset + 4, 24, 24);
    {
        const QSignalBlocker blocker(check);
        check->setChecked(photo.checked);
    }
    check->raise();
    auto *filed = button->findChild<QLabel *>(QStringLiteral("thumbnailFiled"));
    filed->setVisible(photo.isFiled());
    if (photo.isFiled()) {
        const QString text =
            uiText(QStringLiteral("inspect.photo.filed_badge"), QStringLiteral("已存入订单 %1"))
                .arg(photo.orderNumbers.join(QStringLiteral(", ")));
        // From the tick's column towards the delete button, level with it.
        const int room = button->width() - 42 - inset - 4;
        filed->ensurePolished();
        const QString shown = filed->fontMetrics().elidedText(text, Qt::ElideRight, room - 16);
        filed->setText(shown);
        filed->setGeometry(inset + 4, button->height() - 33,
                           std::min(room, filed->fontMetrics().horizontalAdvance(shown) + 16), 22);
        filed->setToolTip(plainToolTip(text));
    }
    markThumbnail(item, index);
    auto *remove = button->findChild<QPushButton *>(QStringLiteral("thumbnailDelete"));
    remove->setGeometry(button->width() - 36, button->height() - 36, 28, 28);
    remove->setToolTip(
        uiText(QStringLiteral("inspect.photo.delete_tooltip"), QStringLiteral("删除此照片")));
    remove->raise();
}

void MainWindow::onSelectAllToggled(bool checked)
{
    currentPhotos().setAllChecked(checked);
    refreshPhotoList();
}

void MainWindow::leavePhotoView()
{
    m_viewedPhotoIndex = -1;
    markThumbnails();
    m_viewedImage = QImage();
    m_viewedImageJpeg.clear();
    if (m_photoViewLabel)
        m_photoViewLabel->clear();
    if (m_centerStack)
        m_centerStack->setCurrentIndex(0);
}

void MainWindow::deleteFiles(const QStringList &files)
{
    // A file the user already removed is simply gone; the photo goes anyway.
    for (const QString &file : files) {
        if (!QFile::remove(file) && QFile::exists(file))
            qDebug() << "照片文件删除失败:" << file;
    }
}

void MainWindow::onDeletePhotoClicked(int index)
{
    deletePhoto(currentPhotos(), index);
}

void MainWindow::onViewDeleteBtnClicked()
{
    if (m_viewedPhotoIndex >= 0)
        deletePhoto(viewedPhotos(), m_viewedPhotoIndex);
}

void MainWindow::deletePhoto(EarPhotoList &photos, int index)
{
    if (!photos.isValidIndex(index))
        return;
    if (!showPromptConfirm(this,
                           uiText(QStringLiteral("inspect.photo.delete_confirm"),
                                  QStringLiteral("确定删除该照片？")),
                           PromptDefault::Cancel))
        return;
    // The list may have changed while the prompt was open (the device's button).
    if (!photos.isValidIndex(index))
        return;
    m_freshPhotoIndex = -1; // the indices move up
    deleteFiles(photos.remove({index}));
    if (m_viewedPhotoIndex >= 0)
        leavePhotoView();
    refreshPhotoList();
}

void MainWindow::onBatchDeleteButtonClicked()
{
    if (currentPhotos().checkedIndices().isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("inspect.photo.delete_select_required"),
                                       QStringLiteral("请先勾选要删除的照片")));
        return;
    }
    if (!showPromptConfirm(this,
                           uiText(QStringLiteral("inspect.photo.batch_delete_confirm"),
                                  QStringLiteral("确定删除选中照片？")),
                           PromptDefault::Cancel))
        return;
    // Taken after the prompt: the ticks are what the user confirmed.
    m_freshPhotoIndex = -1;
    deleteFiles(currentPhotos().remove(currentPhotos().checkedIndices()));
    if (m_viewedPhotoIndex >= 0)
        leavePhotoView();
    refreshPhotoList();
}

void MainWindow::onBatchSaveAsButtonClicked()
{
    if (currentPhotos().checkedIndices().isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("inspect.photo.save_select_required"),
                                       QStringLiteral("请先勾选要另存的照片")));
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(
        this,
        uiText(QStringLiteral("inspect.photo.save_choose_folder"),
               QStringLiteral("选择批量另存路径")),
        m_photoFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty())
        return;
    const int saved = saveCheckedPhotosTo(folder);
    showPromptMessage(this, uiText(QStringLiteral("inspect.photo.save_result"),
                                   QStringLiteral("已额外另存 %1 张照片到：\n%2"))
                                .arg(saved)
                                .arg(QDir::toNativeSeparators(folder)));
}

int MainWindow::saveCheckedPhotosTo(const QString &folder)
{
    QDir().mkpath(folder);
    const EarPhotoList &photos = currentPhotos();
    int saved = 0;
    for (int index : photos.checkedIndices()) {
        const QString path = PhotoStorage::batchCopyPath(folder, QDateTime::currentDateTime(),
                                                         photos.letter(), index + 1);
        // The copy is the photo's own JPEG, not a second encoding of it.
        if (PhotoStorage::writeFile(path, photos.at(index).jpeg()))
            ++saved;
        else
            qDebug() << "照片另存失败:" << path;
    }
    return saved;
}

// Comparing two photos of the inspection, of one ear or of both.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "records/photocompareview.h"
#include "ui/common/promptdialog.h"

#include <QDebug>
#include <QFileInfo>

void MainWindow::onCompareButtonClicked()
{
    // Every photo of the inspection can be put on either side; the two
    // ticked ones (left ear first) open the comparison.
    QList<PhotoCompareView::Choice> choices;
    QList<int> ticked;
    for (const EarPhotoList *photos : {&m_leftPhotos, &m_rightPhotos}) {
        const QString ear =
            photos == &m_leftPhotos
                ? uiText(QStringLiteral("inspect.ear.left"), QStringLiteral("左耳"))
                : uiText(QStringLiteral("inspect.ear.right"), QStringLiteral("右耳"));
        for (int i = 0; i < photos->size(); ++i) {
            const CapturedPhoto &photo = photos->at(i);
            if (photo.checked)
                ticked.append(int(choices.size()));
            QString label = QStringLiteral("%1 %2").arg(ear).arg(i + 1);
            if (!photo.path.isEmpty())
                label += QStringLiteral(" · ") + QFileInfo(photo.path).completeBaseName();
            // The bytes are shared, not copied; decoded only when shown.
            const QByteArray jpeg = photo.jpeg();
            const QImage preview = photo.preview();
            choices.append({label, [jpeg, preview] {
                                const QImage full = CapturedPhoto(jpeg, preview).fullImage();
                                return full.isNull() ? preview : full;
                            }});
        }
    }
    if (ticked.size() != 2) {
        showPromptMessage(this, uiText(QStringLiteral("compare.select_two"),
                                       QStringLiteral("勾选两张照片（左耳或右耳均可）进行对比")));
        return;
    }
    qDebug() << "照片对比" << ticked;
    PhotoCompareView::showModal(choices, ticked.at(0), ticked.at(1), this);
}

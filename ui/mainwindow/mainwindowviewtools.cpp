// The live view's examination tools: turning and mirroring the picture (kept
// per user, and applied to every capture), freezing it, and zooming the view.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "settings/usersettings.h"
#include "stream/fullscreenviewer.h"
#include "stream/liveviewtoolbar.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/transientnotice.h"

#include <QDebug>
#include <QShortcut>

void MainWindow::setViewOrientation(const ImageOrientation &orientation)
{
    m_orientation = orientation;
    m_streamWidget->setOrientation(orientation);
    if (m_liveViewer && m_liveViewer->liveView())
        m_liveViewer->liveView()->setOrientation(orientation);
    for (auto *toolbar : findChildren<LiveViewToolbar *>())
        toolbar->setMirrored(orientation.isMirrored());
}

void MainWindow::stepViewOrientation(void (ImageOrientation::*step)())
{
    ImageOrientation orientation = m_orientation;
    (orientation.*step)();
    setViewOrientation(orientation);
    qDebug() << "画面方向:" << orientation.rotation() << "镜像:" << orientation.isMirrored();
    UserSettings::instance().setViewOrientation(orientation.rotation(), orientation.isMirrored());
}

void MainWindow::onRotateClockwise()
{
    stepViewOrientation(&ImageOrientation::rotateClockwise);
}

void MainWindow::onRotateCounterclockwise()
{
    stepViewOrientation(&ImageOrientation::rotateCounterclockwise);
}

void MainWindow::onMirrorToggled()
{
    stepViewOrientation(&ImageOrientation::toggleMirror);
}

void MainWindow::onFreezeToggled()
{
    // The page's view holds the stream; the full-screen view follows it.
    if (!m_streamWidget->setFrozen(!m_streamWidget->isFrozen()))
        TransientNotice::showOver(liveNoticeHost(),
                                  uiText(QStringLiteral("inspect.freeze_failed"),
                                         QStringLiteral("无法冻结：当前没有实时画面")));
}

LiveViewToolbar *MainWindow::attachViewTools(StreamDisplayWidget *view)
{
    auto *toolbar = new LiveViewToolbar(view);
    toolbar->setMirrored(m_orientation.isMirrored());
    toolbar->setFrozen(view->isFrozen());
    toolbar->setZoom(view->zoom());
    view->setCornerWidget(toolbar);
    connect(toolbar, &LiveViewToolbar::rotateClockwiseClicked, this,
            &MainWindow::onRotateClockwise);
    connect(toolbar, &LiveViewToolbar::rotateCounterclockwiseClicked, this,
            &MainWindow::onRotateCounterclockwise);
    connect(toolbar, &LiveViewToolbar::mirrorClicked, this, &MainWindow::onMirrorToggled);
    connect(toolbar, &LiveViewToolbar::freezeClicked, this, &MainWindow::onFreezeToggled);
    connect(toolbar, &LiveViewToolbar::zoomResetClicked, view, &StreamDisplayWidget::resetZoom);
    connect(view, &StreamDisplayWidget::frozenChanged, toolbar, &LiveViewToolbar::setFrozen);
    connect(view, &StreamDisplayWidget::zoomChanged, toolbar, &LiveViewToolbar::setZoom);
    return toolbar;
}

QList<QShortcut *> MainWindow::addViewShortcuts(QWidget *keyHolder)
{
    QList<QShortcut *> shortcuts;
    const auto add = [&](QKeyCombination key, auto action) {
        auto *shortcut = new QShortcut(QKeySequence(key), keyHolder);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
        shortcuts.append(shortcut);
        return shortcut;
    };
    add(Qt::Key_R, &MainWindow::onRotateClockwise)->setAutoRepeat(false);
    add(Qt::SHIFT | Qt::Key_R, &MainWindow::onRotateCounterclockwise)->setAutoRepeat(false);
    add(Qt::Key_M, &MainWindow::onMirrorToggled)->setAutoRepeat(false);
    add(Qt::Key_F, &MainWindow::onFreezeToggled)->setAutoRepeat(false);
    // Zoom acts on the view in front: the full-screen one while it is open.
    const auto zoomIn = [this] { shownLiveView()->zoomBy(1); };
    const auto zoomOut = [this] { shownLiveView()->zoomBy(-1); };
    const auto zoomReset = [this] { shownLiveView()->resetZoom(); };
    // "+" is Shift+"=" on many layouts and a key of its own on others.
    for (QKeyCombination key : {QKeyCombination(Qt::Key_Plus), QKeyCombination(Qt::Key_Equal),
                                QKeyCombination(Qt::SHIFT | Qt::Key_Plus),
                                QKeyCombination(Qt::KeypadModifier | Qt::Key_Plus)})
        add(key, zoomIn);
    for (QKeyCombination key :
         {QKeyCombination(Qt::Key_Minus), QKeyCombination(Qt::KeypadModifier | Qt::Key_Minus)})
        add(key, zoomOut);
    for (QKeyCombination key :
         {QKeyCombination(Qt::Key_0), QKeyCombination(Qt::KeypadModifier | Qt::Key_0)})
        add(key, zoomReset);
    return shortcuts;
}

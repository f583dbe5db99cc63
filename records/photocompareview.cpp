#include "records/photocompareview.h"

#include "i18n/langmanager.h"
#include "records/comparepane.h"
#include "ui/common/combopopup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const char *const BarButtonStyle =
    "QPushButton { background:rgba(255,255,255,30); border:1px solid #666; border-radius:8px;"
    "              color:white; font-size:13px; padding:0 14px; }"
    "QPushButton:hover { background:rgba(255,255,255,60); }"
    "QPushButton:disabled { color:#777; border-color:#444; }";

QPushButton *barButton(const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedHeight(34);
    button->setMinimumWidth(34);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(QLatin1String(BarButtonStyle));
    return button;
}

} // namespace

PhotoCompareView::PhotoCompareView(const QList<Choice> &choices, int first, int second,
                                   QWidget *host)
    : QDialog(host ? host->window() : nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_choices(choices), m_host(host ? host->window() : nullptr)
{
    setObjectName(QStringLiteral("photoCompareView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("QDialog#photoCompareView { background:#1e1e1e; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(buildTopBar());

    auto *sides = new QHBoxLayout;
    sides->setSpacing(12);
    for (int side = 0; side < 2; ++side) {
        auto *column = new QVBoxLayout;
        column->setSpacing(8);
        m_boxes[side] = new QComboBox(this);
        m_boxes[side]->setObjectName(side == 0 ? QStringLiteral("compareFirstChoice")
                                               : QStringLiteral("compareSecondChoice"));
        m_boxes[side]->setFixedHeight(34);
        m_boxes[side]->setFocusPolicy(Qt::NoFocus);
        m_boxes[side]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        m_boxes[side]->setStyleSheet(QStringLiteral(
            "QComboBox { background:#2c2c2c; border:1px solid #555; border-radius:8px;"
            "            color:white; font-size:13px; padding:0 30px 0 12px; }"
            "QComboBox::drop-down { border:none; width:26px; }"
            "QComboBox::down-arrow { image:url(:/res/combo_arrow.png); width:12px; height:7px; }"
            "QComboBox QAbstractItemView { background:white; color:#333333; }"));
        for (const Choice &choice : std::as_const(m_choices))
            m_boxes[side]->addItem(choice.label);
        styleComboPopup(m_boxes[side]);
        m_panes[side] = new ComparePane(&m_zoomPan, this);
        m_panes[side]->setObjectName(side == 0 ? QStringLiteral("compareFirstPane")
                                               : QStringLiteral("compareSecondPane"));
        column->addWidget(m_boxes[side]);
        column->addWidget(m_panes[side], 1);
        sides->addLayout(column, 1);
        connect(m_panes[side], &ComparePane::zoomRequested, this, &PhotoCompareView::zoomAt);
        connect(m_panes[side], &ComparePane::panRequested, this, &PhotoCompareView::panBy);
        connect(m_panes[side], &ComparePane::resized, this, &PhotoCompareView::onPaneResized);
    }
    layout->addLayout(sides, 1);

    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &PhotoCompareView::retranslate);
    retranslate();
    const int last = int(m_choices.size()) - 1;
    m_boxes[0]->setCurrentIndex(qBound(0, first, qMax(0, last)));
    m_boxes[1]->setCurrentIndex(qBound(0, second, qMax(0, last)));
    showChoice(0, m_boxes[0]->currentIndex());
    showChoice(1, m_boxes[1]->currentIndex());
    for (int side = 0; side < 2; ++side)
        connect(m_boxes[side], &QComboBox::currentIndexChanged, this,
                [this, side](int index) { showChoice(side, index); });
    coverHost();
}

QWidget *PhotoCompareView::buildTopBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_title = new QLabel(bar);
    m_title->setStyleSheet(
        QStringLiteral("QLabel { color:white; font-size:16px; font-weight:700; }"));
    m_hint = new QLabel(bar);
    m_hint->setStyleSheet(QStringLiteral("QLabel { color:#aaaaaa; font-size:12px; }"));
    m_hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_zoomText = new QLabel(bar);
    m_zoomText->setObjectName(QStringLiteral("compareZoomText"));
    m_zoomText->setMinimumWidth(48);
    m_zoomText->setAlignment(Qt::AlignCenter);
    m_zoomText->setStyleSheet(QStringLiteral("QLabel { color:white; font-size:13px; }"));
    m_zoomOutButton = barButton(QStringLiteral("compareZoomOutButton"), bar);
    m_zoomOutButton->setText(QStringLiteral("−"));
    m_zoomInButton = barButton(QStringLiteral("compareZoomInButton"), bar);
    m_zoomInButton->setText(QStringLiteral("+"));
    m_resetButton = barButton(QStringLiteral("compareResetButton"), bar);
    m_fullScreenButton = barButton(QStringLiteral("compareFullScreenButton"), bar);
    m_closeButton = barButton(QStringLiteral("compareCloseButton"), bar);

    row->addWidget(m_title);
    row->addSpacing(12);
    row->addWidget(m_hint, 1);
    row->addWidget(m_zoomOutButton);
    row->addWidget(m_zoomText);
    row->addWidget(m_zoomInButton);
    row->addWidget(m_resetButton);
    row->addSpacing(12);
    row->addWidget(m_fullScreenButton);
    row->addWidget(m_closeButton);

    // The buttons zoom around the middle of the panes.
    const auto middle = [this] { return QPointF(m_panes[0]->width(), m_panes[0]->height()) / 2; };
    connect(m_zoomOutButton, &QPushButton::clicked, this, [=] { zoomAt(middle(), -1); });
    connect(m_zoomInButton, &QPushButton::clicked, this, [=] { zoomAt(middle(), 1); });
    connect(m_resetButton, &QPushButton::clicked, this, &PhotoCompareView::resetZoom);
    connect(m_fullScreenButton, &QPushButton::clicked, this,
            [this] { setFullScreen(!isFullScreen()); });
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
    return bar;
}

void PhotoCompareView::retranslate()
{
    m_title->setText(uiText(QStringLiteral("compare.title"), QStringLiteral("照片对比")));
    m_hint->setText(uiText(QStringLiteral("compare.hint"),
                           QStringLiteral("滚轮或 +/− 同时缩放两张照片，拖动同时移动，0 复位")));
    m_zoomOutButton->setToolTip(uiText(QStringLiteral("compare.zoom_out"), QStringLiteral("缩小")));
    m_zoomInButton->setToolTip(uiText(QStringLiteral("compare.zoom_in"), QStringLiteral("放大")));
    m_resetButton->setText(uiText(QStringLiteral("common.reset"), QStringLiteral("重置")));
    m_closeButton->setText(uiText(QStringLiteral("compare.close"), QStringLiteral("关闭")));
    m_fullScreenButton->setText(
        isFullScreen()
            ? uiText(QStringLiteral("compare.exit_full_screen"), QStringLiteral("退出全屏"))
            : uiText(QStringLiteral("compare.full_screen"), QStringLiteral("全屏")));
    for (int side = 0; side < 2; ++side) {
        if (m_panes[side] && m_panes[side]->photo().isNull())
            showChoice(side, m_boxes[side]->currentIndex());
    }
}

void PhotoCompareView::showChoice(int side, int index)
{
    const QImage image = index >= 0 && index < m_choices.size() && m_choices.at(index).load
                             ? m_choices.at(index).load()
                             : QImage();
    m_panes[side]->setPhoto(
        image, uiText(QStringLiteral("compare.unreadable"), QStringLiteral("无法显示此照片")));
}

void PhotoCompareView::onPaneResized()
{
    // One shared picture the size of a pane: both panes are laid out alike,
    // so a point means the same spot of both photos.
    const QSizeF size = m_panes[0]->size();
    m_zoomPan.setPictureSize(size);
    m_zoomPan.setViewSize(size);
    refresh();
}

void PhotoCompareView::zoomAt(const QPointF &at, qreal steps)
{
    if (m_zoomPan.stepAt(at, steps))
        refresh();
}

void PhotoCompareView::panBy(const QPointF &delta)
{
    if (m_zoomPan.panBy(delta))
        refresh();
}

void PhotoCompareView::resetZoom()
{
    m_zoomPan.reset();
    refresh();
}

void PhotoCompareView::refresh()
{
    m_zoomText->setText(QStringLiteral("%1%").arg(qRound(m_zoomPan.zoom() * 100)));
    m_zoomOutButton->setEnabled(m_zoomPan.zoom() > ZoomPan::MinZoom);
    m_zoomInButton->setEnabled(m_zoomPan.zoom() < ZoomPan::MaxZoom);
    m_resetButton->setEnabled(m_zoomPan.isZoomed());
    m_panes[0]->update();
    m_panes[1]->update();
}

void PhotoCompareView::setFullScreen(bool on)
{
    if (on) {
        if (QScreen *screen = m_host ? m_host->screen() : nullptr)
            setGeometry(screen->geometry());
        showFullScreen();
    } else {
        showNormal();
        coverHost();
    }
    retranslate();
}

void PhotoCompareView::coverHost()
{
    if (m_host)
        setGeometry(m_host->geometry());
    else
        resize(1100, 720);
}

void PhotoCompareView::keyPressEvent(QKeyEvent *event)
{
    const QPointF middle = QPointF(m_panes[0]->width(), m_panes[0]->height()) / 2;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(middle, 1);
        break;
    case Qt::Key_Minus:
        zoomAt(middle, -1);
        break;
    case Qt::Key_0:
        resetZoom();
        break;
    case Qt::Key_F11:
        setFullScreen(!isFullScreen());
        break;
    case Qt::Key_Escape:
        // Out of full screen first, as everywhere else.
        if (isFullScreen())
            setFullScreen(false);
        else
            close();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PhotoCompareView::showModal(const QList<Choice> &choices, int first, int second, QWidget *host)
{
    if (choices.isEmpty())
        return;
    auto *view = new PhotoCompareView(choices, first, second, host);
    view->setWindowModality(Qt::ApplicationModal);
    view->exec();
}

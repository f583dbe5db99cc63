#include "stream/liveviewtoolbar.h"

#include "i18n/langmanager.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QtMath>

namespace {

constexpr int ButtonSize = 36;
constexpr int IconSize = 22;

// Light on a dark glass, so the buttons read on any picture.
const QString ButtonStyle =
    QStringLiteral("QToolButton { background: rgba(0,0,0,125); border: none; border-radius: 18px;"
                   " color: white; font-size: 12px; font-weight: 700; padding: 0 8px; }"
                   "QToolButton:hover { background: rgba(0,0,0,175); }"
                   "QToolButton:pressed { background: rgba(0,0,0,210); }"
                   "QToolButton:checked { background: #ec5c0b; }"
                   "QToolButton:checked:hover { background: #f06d24; }");

// An arc turning clockwise, with its arrowhead, in a box of `size`.
QPainterPath clockwiseArrow(qreal size)
{
    const QPointF centre(size / 2, size / 2 + size * 0.04);
    const qreal radius = size * 0.3;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    constexpr qreal Start = 200, Sweep = -250; // degrees, counterclockwise positive
    QPainterPath arc;
    arc.arcMoveTo(box, Start);
    arc.arcTo(box, Start, Sweep);
    return arc;
}

} // namespace

LiveViewToolbar::LiveViewToolbar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("liveViewToolbar"));
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QStringLiteral("QFrame#liveViewToolbar { background: transparent; }") +
                  ButtonStyle);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_rotateLeft = addButton(Icon::RotateLeft, "rotateLeftButton");
    m_rotateRight = addButton(Icon::RotateRight, "rotateRightButton");
    m_mirror = addButton(Icon::Mirror, "mirrorButton");
    m_mirror->setCheckable(true);
    m_freeze = addButton(Icon::Pause, "freezeButton");
    m_freeze->setCheckable(true);
    m_zoom = new QToolButton(this);
    m_zoom->setObjectName(QStringLiteral("zoomButton"));
    m_zoom->setFixedHeight(ButtonSize);
    m_zoom->setMinimumWidth(ButtonSize + 16);
    m_zoom->setCursor(Qt::PointingHandCursor);
    m_zoom->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_zoom);

    // The buttons never take the checked state themselves: the window says
    // what came of a click.
    connect(m_rotateLeft, &QToolButton::clicked, this,
            &LiveViewToolbar::rotateCounterclockwiseClicked);
    connect(m_rotateRight, &QToolButton::clicked, this, &LiveViewToolbar::rotateClockwiseClicked);
    connect(m_mirror, &QToolButton::clicked, this, [this](bool) {
        m_mirror->setChecked(!m_mirror->isChecked());
        emit mirrorClicked();
    });
    connect(m_freeze, &QToolButton::clicked, this, [this](bool) {
        m_freeze->setChecked(m_frozen);
        emit freezeClicked();
    });
    connect(m_zoom, &QToolButton::clicked, this, &LiveViewToolbar::zoomResetClicked);
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &LiveViewToolbar::retranslate);
    setZoom(1.0);
    retranslate();
    adjustSize();
}

QToolButton *LiveViewToolbar::addButton(Icon icon, const char *name)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(ButtonSize, ButtonSize);
    button->setIcon(drawIcon(icon));
    button->setIconSize(QSize(IconSize, IconSize));
    button->setCursor(Qt::PointingHandCursor);
    // Keys stay with the window's shortcuts (Space captures).
    button->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(button);
    return button;
}

void LiveViewToolbar::setFrozen(bool frozen)
{
    m_frozen = frozen;
    m_freeze->setChecked(frozen);
    m_freeze->setIcon(drawIcon(frozen ? Icon::Play : Icon::Pause));
    retranslate();
}

void LiveViewToolbar::setMirrored(bool mirrored)
{
    m_mirror->setChecked(mirrored);
}

void LiveViewToolbar::setZoom(qreal zoom)
{
    m_zoom->setText(QString::number(zoom, 'f', 1) + QStringLiteral("×"));
    m_zoom->setEnabled(true);
    m_zoom->setProperty("zoom", zoom);
    retranslate();
    adjustSize();
}

void LiveViewToolbar::retranslate()
{
    m_rotateLeft->setToolTip(uiText(QStringLiteral("stream.tool.rotate_left"),
                                    QStringLiteral("向左旋转 90°（Shift+R）")));
    m_rotateRight->setToolTip(
        uiText(QStringLiteral("stream.tool.rotate_right"), QStringLiteral("向右旋转 90°（R）")));
    m_mirror->setToolTip(
        uiText(QStringLiteral("stream.tool.mirror"), QStringLiteral("左右镜像（M）")));
    m_freeze->setToolTip(
        m_frozen
            ? uiText(QStringLiteral("stream.tool.unfreeze"), QStringLiteral("回到实时画面（F）"))
            : uiText(QStringLiteral("stream.tool.freeze"),
                     QStringLiteral("冻结画面（F）：画面停住，视频流在后台继续；"
                                    "此时拍照保存冻结的画面")));
    m_zoom->setToolTip(
        uiText(QStringLiteral("stream.tool.zoom"),
               QStringLiteral("缩放 1×–4×：滚轮或 + / - 键，拖动画面平移，0 键或点击此处复原。"
                              "只改变显示，拍照始终保存完整画面")));
}

QIcon LiveViewToolbar::drawIcon(Icon icon)
{
    constexpr qreal Ratio = 2.0; // sharp on high-density screens
    QPixmap pixmap(QSize(IconSize, IconSize) * Ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(Ratio, Ratio);
    const qreal s = IconSize;
    QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    switch (icon) {
    case Icon::RotateLeft:
    case Icon::RotateRight: {
        if (icon == Icon::RotateLeft) {
            painter.translate(s, 0);
            painter.scale(-1, 1);
        }
        const QPainterPath arc = clockwiseArrow(s);
        painter.drawPath(arc);
        // The head points along the arc where it ends.
        const QPointF tip = arc.pointAtPercent(1.0);
        const qreal angle = qDegreesToRadians(arc.angleAtPercent(1.0));
        const QPointF along(std::cos(angle), -std::sin(angle));
        const QPointF across(-along.y(), along.x());
        const qreal head = s * 0.22;
        QPolygonF triangle{tip + along * head * 0.6, tip - along * head * 0.4 + across * head * 0.6,
                           tip - along * head * 0.4 - across * head * 0.6};
        painter.setBrush(Qt::white);
        painter.drawPolygon(triangle);
        break;
    }
    case Icon::Mirror: {
        QPen dashed = pen;
        dashed.setWidthF(1.6);
        dashed.setDashPattern({1.5, 1.8});
        painter.setPen(dashed);
        painter.drawLine(QPointF(s / 2, s * 0.12), QPointF(s / 2, s * 0.88));
        painter.setPen(pen);
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygonF{QPointF(s * 0.4, s * 0.25), QPointF(s * 0.4, s * 0.75),
                                      QPointF(s * 0.1, s * 0.75)});
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(QPolygonF{QPointF(s * 0.6, s * 0.25), QPointF(s * 0.6, s * 0.75),
                                      QPointF(s * 0.9, s * 0.75)});
        break;
    }
    case Icon::Pause:
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(s * 0.27, s * 0.2, s * 0.16, s * 0.6), 1.5, 1.5);
        painter.drawRoundedRect(QRectF(s * 0.57, s * 0.2, s * 0.16, s * 0.6), 1.5, 1.5);
        break;
    case Icon::Play:
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygonF{QPointF(s * 0.32, s * 0.2), QPointF(s * 0.32, s * 0.8),
                                      QPointF(s * 0.8, s * 0.5)});
        break;
    }
    painter.end();
    pixmap.setDevicePixelRatio(Ratio);
    return QIcon(pixmap);
}

#include "reports/modalpanel.h"

#include "ui/common/dimlayer.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

ModalPanel::ModalPanel(QWidget *host, const QString &panelName,
                       QSize (*panelSizeFor)(const QSize &))
    : QDialog(host ? host->window() : nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowModality(Qt::ApplicationModal);
    QWidget *window = parentWidget();
    const QSize size = window ? window->size() : QSize(1200, 760);
    setFixedSize(size);
    if (window)
        move(window->geometry().topLeft());

    // Dimmed inside the window, and only the panel is this dialog's own
    // window: without a compositing window manager a translucent window
    // would black out everything around the panel.
    DimLayer::cover(window, 0.30, this);

    m_panel = new QFrame(this);
    m_panel->setObjectName(panelName);
    m_panel->setStyleSheet(
        QStringLiteral("QFrame#%1 { background:white; border-radius:31px; }").arg(panelName));
    const QSize panelSize = panelSizeFor(size);
    m_panel->setFixedSize(panelSize);
    m_panel->move((size.width() - panelSize.width()) / 2, (size.height() - panelSize.height()) / 2);
    setMask(DimLayer::roundedRegion(m_panel->geometry(), 31));
    m_layout = new QVBoxLayout(m_panel);
    m_layout->setSpacing(0);
}

QPushButton *ModalPanel::actionButton(const QString &text, bool primary, const QString &name,
                                      const QSize &size) const
{
    auto *button = new QPushButton(text, m_panel);
    button->setObjectName(name);
    button->setFixedSize(size);
    button->setCursor(Qt::PointingHandCursor);
    const QString look =
        primary ? QStringLiteral("QPushButton { background:#585656; border:none; "
                                 "border-radius:%1px; color:white; font-size:14px; "
                                 "font-weight:bold; }QPushButton:hover { background:#6a6868; }")
                : QStringLiteral("QPushButton { background:white; border:1px solid #585656; "
                                 "border-radius:%1px; color:#585656; font-size:14px; "
                                 "font-weight:bold; }QPushButton:hover { background:#f5f5f5; }");
    button->setStyleSheet(look.arg(size.height() / 2));
    return button;
}

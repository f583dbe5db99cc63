#include "reports/modalpanel.h"

#include <QFrame>
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

    auto *backdrop = new QWidget(this);
    backdrop->setObjectName(QStringLiteral("panelBackdrop"));
    backdrop->setGeometry(rect());
    backdrop->setStyleSheet(QStringLiteral("background: rgba(0,0,0,0.30);"));

    m_panel = new QFrame(this);
    m_panel->setObjectName(panelName);
    m_panel->setStyleSheet(
        QStringLiteral("QFrame#%1 { background:white; border-radius:31px; }").arg(panelName));
    const QSize panelSize = panelSizeFor(size);
    m_panel->setFixedSize(panelSize);
    m_panel->move((size.width() - panelSize.width()) / 2, (size.height() - panelSize.height()) / 2);
    m_layout = new QVBoxLayout(m_panel);
    m_layout->setSpacing(0);
}

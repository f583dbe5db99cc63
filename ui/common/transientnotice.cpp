#include "ui/common/transientnotice.h"

#include <QEvent>
#include <QTimer>

TransientNotice::TransientNotice(QWidget *host) : QLabel(host), m_hideTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("transientNotice"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral("QLabel#transientNotice { background: rgba(40, 40, 40, 210); "
                                 "color: white; font-size: 15px; border-radius: 12px; "
                                 "padding: 10px 22px; }"));
    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    host->installEventFilter(this);
}

TransientNotice *TransientNotice::showOver(QWidget *host, const QString &text)
{
    auto *notice = host->findChild<TransientNotice *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new TransientNotice(host);
    notice->setText(text);
    notice->place();
    notice->show();
    notice->raise();
    notice->m_hideTimer->start(ShownMs);
    return notice;
}

bool TransientNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        place();
    return QLabel::eventFilter(watched, event);
}

void TransientNotice::place()
{
    const QWidget *host = parentWidget();
    const int width = qMin(host->width() - 24, qMax(240, sizeHint().width()));
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    resize(width, height);
    move((host->width() - width) / 2, host->height() - height - qMin(48, host->height() / 8));
}

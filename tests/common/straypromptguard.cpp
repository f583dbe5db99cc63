#include "common/straypromptguard.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int CheckMs = 200;
}

StrayPromptGuard::StrayPromptGuard(int afterMs, QObject *parent)
    : QObject(parent), m_afterMs(afterMs), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &StrayPromptGuard::check);
    m_timer->start(CheckMs);
}

void StrayPromptGuard::check()
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    auto *text = dialog ? dialog->findChild<QLabel *>(QStringLiteral("promptText")) : nullptr;
    // Only prompts: the busy card of a slow save closes by itself.
    if (!text || !dialog->isVisible() || dialog->objectName() == QLatin1String("busyOverlay")) {
        m_open = nullptr;
        return;
    }
    if (dialog != m_open) {
        m_open = dialog;
        m_openMs = 0;
        return;
    }
    m_openMs += CheckMs;
    if (m_openMs < m_afterMs)
        return;
    m_closed.append(text->text());
    m_open = nullptr;
    dialog->reject();
}

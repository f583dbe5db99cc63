#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QDialog;
class QTimer;

// Closes a prompt that stays on screen with nobody answering it, so a prompt
// a test did not expect fails that test instead of blocking the whole run
// until the suite's timeout. Armed answers (TestSupport::answerNextPrompt)
// react within milliseconds; a prompt still open after `afterMs` has none.
class StrayPromptGuard : public QObject
{
    Q_OBJECT

public:
    explicit StrayPromptGuard(int afterMs = 10000, QObject *parent = nullptr);

    // The texts of the prompts closed so far.
    QStringList closedPrompts() const { return m_closed; }

private:
    void check();

    int m_afterMs;
    int m_openMs = 0;
    QPointer<QDialog> m_open;
    QTimer *m_timer;
    QStringList m_closed;
};

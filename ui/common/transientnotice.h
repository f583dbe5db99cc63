#pragma once

#include <QLabel>

class QTimer;

// A short message floating over the lower middle of another widget, gone by
// itself after a few seconds: for what the user should know but need not
// answer (a capture that found no picture), without a prompt in the way.
class TransientNotice : public QLabel
{
    Q_OBJECT

public:
    static constexpr int ShownMs = 3000;

    // Shows `text` (plain text) over `host`; a notice already there takes the
    // new text and starts its time again.
    static TransientNotice *showOver(QWidget *host, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TransientNotice(QWidget *host);
    void place();

    QTimer *m_hideTimer = nullptr;
};

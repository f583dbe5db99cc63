#include "ui/common/busyoverlay.h"

#include "i18n/langmanager.h"
#include "ui/common/promptdialog.h"

#include <QDialog>
#include <QEventLoop>
#include <QFrame>
#include <QLayout>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

bool BusyOverlay::run(QWidget *parent, const QString &text, const std::function<bool()> &job)
{
    bool result = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = job(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);

    QPointer<QDialog> overlay;
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &loop, [&] {
        overlay = createPromptOverlay(parent);
        overlay->setObjectName(QStringLiteral("busyOverlay"));
        createPromptCard(overlay, text);
        overlay->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        overlay->show();
    });
    showLater.start(ShowAfterMs);

    worker->start();
    // A click meant for the page waits until the work is done, as it would
    // have without the worker; timers and painting go on meanwhile.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    showLater.stop();
    delete overlay.data();
    return result;
}

bool BusyOverlay::runCancellable(QWidget *parent, const QString &text,
                                 const std::function<bool()> &job,
                                 const std::function<int()> &progress,
                                 const std::function<void()> &cancel)
{
    bool result = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = job(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);

    std::unique_ptr<QDialog> overlay(createPromptOverlay(parent));
    overlay->setObjectName(QStringLiteral("busyOverlay"));
    QFrame *card = createPromptCard(overlay.get(), text);
    // Room for the progress bar and its spacing below a text of any length.
    card->setFixedHeight(std::max(250, card->height() + 28));
    auto *bar = new QProgressBar(card);
    bar->setObjectName(QStringLiteral("busyProgress"));
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    bar->setFixedHeight(8);
    bar->setStyleSheet(
        QStringLiteral("QProgressBar { background:#ededed; border:none; border-radius:4px; }"
                       "QProgressBar::chunk { background:#ec5c0b; border-radius:4px; }"));
    auto *stop =
        new QPushButton(uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")), card);
    stop->setObjectName(QStringLiteral("busyCancel"));
    stop->setFixedSize(140, 48);
    stop->setCursor(Qt::PointingHandCursor);
    stop->setStyleSheet(QStringLiteral(
        "QPushButton { background:white; border:1px solid #585656; border-radius:24px; "
        "color:#585656; font-size:15px; font-weight:700; }"
        "QPushButton:hover { background:#f5f5f5; }"
        "QPushButton:disabled { color:#aaaaaa; border-color:#cccccc; }"));
    card->layout()->setSpacing(20);
    card->layout()->addWidget(bar);
    card->layout()->addWidget(stop);
    card->layout()->setAlignment(stop, Qt::AlignHCenter);
    QObject::connect(stop, &QPushButton::clicked, &loop, [&] {
        stop->setEnabled(false);
        cancel();
    });
    // Escape on the overlay cancels too, instead of closing it under the work.
    overlay->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    QObject::connect(overlay.get(), &QDialog::rejected, &loop, [&] {
        overlay->show();
        stop->click();
    });

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] { bar->setValue(progress()); });
    poll.start(100);
    overlay->show();
    worker->start();
    // The overlay is modal to the window: clicks reach only its Cancel button.
    loop.exec();
    worker->wait();
    return result;
}

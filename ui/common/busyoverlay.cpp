#include "ui/common/busyoverlay.h"

#include "ui/common/promptdialog.h"

#include <QDialog>
#include <QEventLoop>
#include <QFrame>
#include <QPointer>
#include <QThread>
#include <QTimer>

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

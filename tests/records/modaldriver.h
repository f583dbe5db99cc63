#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

// Runs `action` on the next modal dialog of type Dialog once it is shown, so a
// test can fill it in and close it while the code under test waits in exec().
template <typename Dialog> void whenModalShown(std::function<void(Dialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

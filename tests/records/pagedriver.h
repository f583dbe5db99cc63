#pragma once

// Helpers for driving the record pages and their modal dialogs in tests.
#include "i18n/langmanager.h"
#include "records/store/recordstore.h"

#include "common/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

// A named child of `parent`; stops the run when it is missing, so a renamed
// widget cannot turn a check into a silent pass.
template <typename T> T *child(QObject &parent, const char *name)
{
    auto *widget = parent.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// Removes the order and fitter files, and folders a test left in their place.
inline void removeStoreFiles()
{
    for (const QString &path : {customersFilePath(), fittersFilePath()}) {
        QDir(path).removeRecursively();
        QFile::remove(path);
    }
}

// Switches the process-wide language manager to a shipped pack.
inline bool useShippedLanguage(const QString &code)
{
    auto *manager = LangManager::instance();
    if (manager->packDirectory().isEmpty() &&
        !manager->loadLanguagePacks(QStringLiteral(LUMAURAL_SOURCE_DIR "/i18n/languages")))
        return false;
    manager->setLanguage(code);
    return manager->currentLanguage() == code;
}

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

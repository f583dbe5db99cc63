#include "app/instancelock.h"
#include "app/startup.h"
#include "i18n/langmanager.h"
#include "records/jsonfilestore.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::prepare();
    InstanceLock instanceLock(JsonFileStore::dataDirectory());
    if (instanceLock.acquire() == InstanceLock::Result::AlreadyRunning) {
        showPromptMessage(nullptr, uiText(QStringLiteral("app.already_running"),
                                          QStringLiteral("程序已在运行。")));
        return 1;
    }
    auto window = std::make_unique<MainWindow>();
    window->show();
    const int result = app.exec();
    window.reset();
    return result;
}

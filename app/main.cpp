#include "app/commandline.h"
#include "app/instancelock.h"
#include "app/startup.h"
#include "i18n/langmanager.h"
#include "records/store/jsonfilestore.h"
#include "settings/usersettings.h"
#include "ui/common/focusringstyle.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// --version and --help are answered before the GUI application exists, so
// they work on a terminal without a display and never reach the network.
int answerOnTerminal(CommandLine::Action action, int argc, char *argv[])
{
    QCoreApplication core(argc, argv);
    const QString text = action == CommandLine::Action::ShowHelp ? CommandLine::helpText()
                                                                 : CommandLine::versionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto action = CommandLine::action(arguments); action != CommandLine::Action::Run)
        return answerOnTerminal(action, argc, argv);

    QApplication app(argc, argv);
    // Focus shown as a ring around the rounded buttons, not a square box.
    QApplication::setStyle(new FocusRingStyle);
    QApplication::setApplicationVersion(QStringLiteral(LUMAURAL_VERSION));
    // Lets the desktop match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(LUMAURAL_APP_ID));
    Startup::prepare(UserSettings::instance());
    InstanceLock instanceLock(JsonFileStore::dataDirectory());
    if (instanceLock.acquire() == InstanceLock::Result::AlreadyRunning) {
        showPromptMessage(nullptr, uiText(QStringLiteral("app.already_running"),
                                          QStringLiteral("程序已在运行。")));
        return 1;
    }
    auto window = std::make_unique<MainWindow>();
    window->show();
    // Once the window is up, so the question appears over it.
    QTimer::singleShot(0, window.get(), &MainWindow::offerUnfiledPhotos);
    const int result = app.exec();
    window.reset();
    return result;
}

#include "app/startup.h"
#include "ui/mainwindow/mainwindow.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::prepare();
    auto window = std::make_unique<MainWindow>();
    window->show();
    const int result = app.exec();
    window.reset();
    return result;
}

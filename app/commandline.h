#pragma once

#include <QString>
#include <QStringList>

// The two questions the program answers on the terminal without starting its
// window: --version and --help. Every other argument belongs to Qt.
class CommandLine
{
public:
    enum class Action { Run, ShowVersion, ShowHelp };

    // What `arguments` (program name first) ask for; unknown options are Qt's.
    static Action action(const QStringList &arguments);
    // "lumaural 1.0.4"
    static QString versionText();
    // Usage and the options; needs an application object for the program name.
    static QString helpText();
};

#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

void describe(QCommandLineParser &parser)
{
    // The terminal answers come before any language pack is read: English only.
    parser.setApplicationDescription(
        QStringLiteral("Ear camera (WiFi otoscope) inspections, photos and reports."));
    // Qt's own options are single-dash words (-platform, -reverse, -stylesheet);
    // read as letters they would contain -v or -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
}

} // namespace

CommandLine::Action CommandLine::action(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    // Unknown options make parse() report an error but the known ones are still read.
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return Action::ShowHelp;
    if (parser.isSet(QStringLiteral("version")))
        return Action::ShowVersion;
    return Action::Run;
}

QString CommandLine::versionText()
{
    return QStringLiteral("lumaural " LUMAURAL_VERSION "\n");
}

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText() +
           QStringLiteral(
               "\nAny other argument is passed to Qt (for example -platform offscreen).\n");
}

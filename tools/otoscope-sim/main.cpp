// otoscope-sim: stands in for the WiFi otoscope on this machine, for the demo
// and for manual testing. Run it only inside the private network namespace
// (scripts/isolate), where 192.168.168.1 lives on loopback.
#include "simcontrolserver.h"
#include "simstreamserver.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Rendering the test picture needs fonts but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("otoscope-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated WiFi otoscope: JSON control channel and MJPEG live stream.\n"
        "Type 'photo' (or 'p'), 'garbage', 'drop', 'stall', 'resume' or 'quit' on standard "
        "input; 'garbage' sends a damaged capture message (an unclosed quote)."));
    parser.addHelpOption();
    const QCommandLineOption host(QStringLiteral("host"), "Address to listen on.", "address",
                                  "192.168.168.1");
    const QCommandLineOption controlPort(QStringLiteral("control-port"), "Control channel port.",
                                         "port", "8899");
    const QCommandLineOption streamPort(QStringLiteral("stream-port"), "Live stream port.", "port",
                                        "8888");
    const QCommandLineOption fps(QStringLiteral("fps"), "Frames per second.", "n", "25");
    const QCommandLineOption photoEvery(QStringLiteral("photo-every"),
                                        "Press the capture button every N ms.", "ms");
    const QCommandLineOption dropAfter(QStringLiteral("drop-after"),
                                       "Close each control connection after N ms.", "ms");
    const QCommandLineOption stallAfter(QStringLiteral("stall-after"),
                                        "Stop sending frames after N frames per client.", "frames");
    const QCommandLineOption coalesce(QStringLiteral("coalesce"),
                                      "Send a capture press in the same write as the next reply.");
    const QCommandLineOption split(QStringLiteral("split"),
                                   "Send every control message in two writes.");
    const QCommandLineOption oneClient(
        QStringLiteral("one-client"),
        "Serve the live stream to one client at a time; later ones wait their turn.");
    const QCommandLineOption blur(
        QStringLiteral("blur"),
        "Blur every frame except each Nth (frame numbers divisible by N stay sharp): reduced to "
        "an eighth of its size and enlarged back, as a moving patient smears the picture.",
        "N");
    for (const auto &option : {host, controlPort, streamPort, fps, photoEvery, dropAfter,
                               stallAfter, coalesce, split, oneClient, blur})
        parser.addOption(option);
    parser.process(app);

    SimControlServer::Options controlOptions;
    controlOptions.coalesce = parser.isSet(coalesce);
    controlOptions.splitWrites = parser.isSet(split);
    controlOptions.dropAfterMs = parser.value(dropAfter).toInt();
    SimStreamServer::Options streamOptions;
    streamOptions.fps = parser.value(fps).toInt();
    streamOptions.stallAfterFrames = parser.value(stallAfter).toInt();
    streamOptions.oneClient = parser.isSet(oneClient);
    streamOptions.blurAllButEvery = qMax(0, parser.value(blur).toInt());

    SimControlServer control(controlOptions);
    SimStreamServer stream(streamOptions);
    QObject::connect(&control, &SimControlServer::resolutionChanged, &stream,
                     &SimStreamServer::setResolution);
    QObject::connect(&control, &SimControlServer::rebootRequested, &stream,
                     &SimStreamServer::dropConnections);

    const QHostAddress address(parser.value(host));
    if (address.isNull()) {
        std::fprintf(stderr, "otoscope-sim: not an address: %s\n", qPrintable(parser.value(host)));
        return 2;
    }
    if (!control.listen(address, quint16(parser.value(controlPort).toUInt())) ||
        !stream.listen(address, quint16(parser.value(streamPort).toUInt())))
        return 1;

    QTimer photoTimer;
    if (parser.isSet(photoEvery)) {
        QObject::connect(&photoTimer, &QTimer::timeout, &control,
                         &SimControlServer::pressCaptureButton);
        photoTimer.start(qMax(100, parser.value(photoEvery).toInt()));
    }

    // Commands are lines; a script may send several in one write, and a line
    // may arrive in pieces.
    const auto run = [&](const QString &command) {
        if (command == QLatin1String("photo") || command == QLatin1String("p"))
            control.pressCaptureButton();
        else if (command == QLatin1String("garbage"))
            control.sendDamagedMessage();
        else if (command == QLatin1String("drop"))
            control.dropConnections(), stream.dropConnections();
        else if (command == QLatin1String("stall"))
            stream.setStalled(true);
        else if (command == QLatin1String("resume"))
            stream.setStalled(false);
        else if (command == QLatin1String("quit"))
            app.quit();
    };
    QByteArray typed;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[256];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) { // end of input: keep serving, just stop listening to it
            input.setEnabled(false);
            run(QString::fromLocal8Bit(typed).trimmed().toLower());
            return;
        }
        typed.append(chunk, n);
        for (qsizetype end = typed.indexOf('\n'); end >= 0; end = typed.indexOf('\n')) {
            run(QString::fromLocal8Bit(typed.left(end)).trimmed().toLower());
            typed.remove(0, end + 1);
        }
    });
    return app.exec();
}

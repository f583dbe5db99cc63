#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

using Messages = QList<QByteArray>;

namespace {

const QByteArray Heartbeat = "{\"command\":\"0\",\"info\":\"OK\",\"status\":\"0\"}";
const QByteArray Photo = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";
// Brackets and an escaped quote inside texts do not end it; an escaped
// backslash does not hide the closing quote.
const QByteArray Config =
    "{\"command\":\"1\",\"info\":[{\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}]\\\\\"}],\"n\":-1.5e3}";

struct Outcome
{
    Messages messages;
    QByteArray dropped; // every dropped byte but blanks, in order
};

Outcome run(const Messages &reads)
{
    ControlMessageSplitter splitter;
    Outcome outcome;
    auto take = [&](const ControlMessageSplitter::Result &result) {
        outcome.messages += result.messages;
        for (const QByteArray &dropped : result.dropped)
            outcome.dropped +=
                QByteArray(dropped).replace(' ', "").replace('\r', "").replace('\n', "");
    };
    for (const QByteArray &read : reads)
        take(splitter.feed(read));
    return outcome;
}

} // namespace

class TestControlMessageSplitter : public QObject
{
    Q_OBJECT

private slots:
    // `reads` as they arrive; messages come out at once, damaged ones cost only
    // themselves. `anyCut`: the same holds wherever TCP cuts their bytes in two.
    void messagesSurviveGarbage_data()
    {
        QTest::addColumn<Messages>("reads");
        QTest::addColumn<bool>("anyCut");
        QTest::addColumn<Messages>("expected");
        QTest::addColumn<QByteArray>("dropped");

        QTest::newRow("coalesced, split, garbage between")
            << Messages{"\r\n xx" + Heartbeat + "garbage}][1,{}" + Config + "\n" + Photo +
                        "{\"truncated\":"}
            << true << Messages{Heartbeat, "{}", Config, Photo} << QByteArray("xxgarbage}][1,");
        QTest::newRow("unclosed quote, truncated after a value")
            << Messages{"{\"command\":\"4\",\"info\":\"PHOTO}" + Photo +
                        "{\"command\":\"12\",\"info\":\"x\"" + Heartbeat}
            << true << Messages{Photo, Heartbeat}
            << QByteArray("{\"command\":\"4\",\"info\":\"PHOTO}{\"command\":\"12\",\"info\":\"x\"");
        QTest::newRow("garbage inside a message")
            << Messages{"{\"command\":\"4\",\"info\"\x01:\"PHOTOGRAPH\"}{{" + Heartbeat +
                        "{\"command\":\"0\",\"info\":\"O\xff"
                        "K\"}" +
                        Photo}
            << true << Messages{Heartbeat, Photo}
            << QByteArray("{\"command\":\"4\",\"info\"\x01:\"PHOTOGRAPH\"}{{"
                          "{\"command\":\"0\",\"info\":\"O\xff"
                          "K\"}");
        // Cut where a value was due, it is still a valid beginning: the next read
        // opening an object of its own ends it, and what it swallowed comes out.
        QTest::newRow("cut before a value, next message in the next read")
            << Messages{"{\"info\":[" + Heartbeat + ",{\"x\":", "{\"command\":\"1\",\"info\":",
                        Photo}
            << false << Messages{Heartbeat, Photo}
            << QByteArray("{\"info\":[,{\"x\":{\"command\":\"1\",\"info\":");
        QTest::newRow("endless text")
            << Messages{"{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes, 'x'),
                        "xx", Photo}
            << false << Messages{Photo}
            << "{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes + 2, 'x');
    }

    void messagesSurviveGarbage()
    {
        QFETCH(Messages, reads);
        QFETCH(bool, anyCut);
        QFETCH(Messages, expected);
        QFETCH(QByteArray, dropped);

        const QByteArray stream = reads.join();
        for (qsizetype cut = -1; cut <= (anyCut ? stream.size() : -1); ++cut) {
            const Outcome outcome =
                run(cut < 0 ? reads : Messages{stream.left(cut), stream.mid(cut)});
            QCOMPARE(outcome.messages, expected);
            QCOMPARE(outcome.dropped, dropped);
        }
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestControlMessageSplitter)
#include "tst_controlmessagesplitter.moc"

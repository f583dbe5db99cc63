#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

using Messages = QList<QByteArray>;

namespace {

const QByteArray Photo = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";

Messages feedAll(ControlMessageSplitter &splitter, const Messages &reads)
{
    Messages all;
    for (const QByteArray &read : reads)
        all += splitter.feed(read).messages;
    return all;
}

} // namespace

class TestControlMessageSplitter : public QObject
{
    Q_OBJECT

private slots:
    // Wherever TCP cuts the stream, even one byte per read, the same messages come out.
    void everySplitPointGivesTheSameMessages()
    {
        const Messages expected{
            "{\"command\":\"0\",\"info\":\"OK\"}",
            // Brackets and an escaped quote inside texts do not end it; an escaped
            // backslash does not hide the closing quote.
            "{\"command\":\"1\",\"info\":[{\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}]\\\\\"}]}",
            "[1,{}]", Photo};
        const QByteArray stream = "\r\n xx" + expected.at(0) + "garbage}]" + expected.at(1) +
                                  expected.at(2) + "\n" + expected.at(3) + "{\"truncated\":";
        for (int cut = 0; cut <= stream.size(); ++cut) {
            ControlMessageSplitter splitter;
            QCOMPARE(feedAll(splitter, {stream.left(cut), stream.mid(cut)}), expected);
        }
        ControlMessageSplitter byteByByte;
        Messages oneByteReads;
        for (char c : stream)
            oneByteReads.append(QByteArray(1, c));
        QCOMPARE(feedAll(byteByByte, oneByteReads), expected);
    }

    void endlessValuesAreBounded_data()
    {
        QTest::addColumn<QByteArray>("opening");
        QTest::addColumn<QByteArray>("filler");
        QTest::newRow("endless text") << QByteArray("{\"info\":\"") << QByteArray(4096, 'x');
        QTest::newRow("endless nesting") << QByteArray() << QByteArray(4096, '[');
    }

    void endlessValuesAreBounded()
    {
        QFETCH(QByteArray, opening);
        QFETCH(QByteArray, filler);
        ControlMessageSplitter splitter;
        bool overflowed = splitter.feed(opening).overflowed;
        for (int i = 0; i < 100; ++i) {
            overflowed |= splitter.feed(filler).overflowed;
            QVERIFY(splitter.pendingBytes() <= ControlMessageSplitter::MaxMessageBytes);
        }
        QVERIFY(overflowed);
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestControlMessageSplitter)
#include "tst_controlmessagesplitter.moc"

#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

using Messages = QList<QByteArray>;

namespace {

const QByteArray Ok = "{\"command\":\"0\",\"info\":\"OK\",\"status\":\"0\"}";
const QByteArray Photo = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";
// Brackets and an escaped quote inside texts do not end it; an escaped backslash
// before a quote does not hide the quote.
const QByteArray Config =
    "{\"command\":\"1\",\"info\":[{\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}]\\\\\"}]}";

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
    void cutsMessages_data()
    {
        QTest::addColumn<Messages>("reads");
        QTest::addColumn<Messages>("expected");
        QTest::newRow("two in one read") << Messages{Ok + Photo} << Messages{Ok, Photo};
        QTest::newRow("one and a half, then the rest")
            << Messages{Ok + Photo.left(5), Photo.mid(5)} << Messages{Ok, Photo};
        QTest::newRow("whitespace and garbage between")
            << Messages{"\r\n xx" + Ok + "garbage}]" + Photo} << Messages{Ok, Photo};
        QTest::newRow("top-level array") << Messages{"[1,{}]"} << Messages{"[1,{}]"};
        QTest::newRow("truncated tail waits") << Messages{Ok + Photo.left(20)} << Messages{Ok};
    }

    void cutsMessages()
    {
        QFETCH(Messages, reads);
        ControlMessageSplitter splitter;
        QTEST(feedAll(splitter, reads), "expected");
    }

    void everySplitPointGivesTheSameMessages()
    {
        const QByteArray stream = Ok + Config + Photo;
        const Messages expected{Ok, Config, Photo};
        for (int cut = 0; cut <= stream.size(); ++cut) {
            ControlMessageSplitter splitter;
            QCOMPARE(feedAll(splitter, {stream.left(cut), stream.mid(cut)}), expected);
            QCOMPARE(splitter.pendingBytes(), 0);
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

    void oversizedMessageIsDroppedAndTheNextKept()
    {
        const QByteArray big =
            "{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes, 'x') + "\"}";
        ControlMessageSplitter splitter;
        const auto result = splitter.feed(big + Photo);
        QVERIFY(result.overflowed);
        QCOMPARE(result.messages, Messages{Photo});
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestControlMessageSplitter)
#include "tst_controlmessagesplitter.moc"

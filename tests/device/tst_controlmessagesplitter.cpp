#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

using Messages = QList<QByteArray>;

class TestControlMessageSplitter : public QObject
{
    Q_OBJECT

private:
    static Messages feedAll(ControlMessageSplitter &splitter, const QList<QByteArray> &reads)
    {
        Messages all;
        for (const QByteArray &read : reads)
            all += splitter.feed(read).messages;
        return all;
    }

private slots:
    void cutsMessages_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<Messages>("expected");
        const QByteArray photo = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";
        const QByteArray ok = "{\"command\":\"0\",\"info\":\"OK\",\"status\":\"0\"}";
        const QByteArray config = "{\"command\":\"1\",\"info\":[{\"Resolution\":\"1280*720\","
                                  "\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}\"}],\"status\":\"0\"}";
        QTest::newRow("one") << QList<QByteArray>{photo} << Messages{photo};
        QTest::newRow("two in one read") << QList<QByteArray>{ok + photo} << Messages{ok, photo};
        QTest::newRow("split in the middle")
            << QList<QByteArray>{photo.left(17), photo.mid(17)} << Messages{photo};
        QTest::newRow("one and a half, then the rest")
            << QList<QByteArray>{ok + photo.left(5), photo.mid(5)} << Messages{ok, photo};
        QTest::newRow("braces and escaped quotes inside texts")
            << QList<QByteArray>{config} << Messages{config};
        QTest::newRow("split right after a backslash")
            << QList<QByteArray>{config.left(config.indexOf('\\') + 1),
                                 config.mid(config.indexOf('\\') + 1)}
            << Messages{config};
        QTest::newRow("whitespace and garbage between")
            << QList<QByteArray>{"\r\n xx" + ok + "garbage}]" + photo} << Messages{ok, photo};
        QTest::newRow("top-level array is cut too")
            << QList<QByteArray>{"[1,{}]"} << Messages{"[1,{}]"};
        QTest::newRow("truncated tail waits")
            << QList<QByteArray>{ok + "{\"command\":\"4\""} << Messages{ok};
    }

    void cutsMessages()
    {
        QFETCH(QList<QByteArray>, reads);
        ControlMessageSplitter splitter;
        QTEST(feedAll(splitter, reads), "expected");
    }

    void everySplitPointGivesTheSameMessages()
    {
        const QByteArray stream = "{\"command\":\"0\",\"info\":\"OK\"}"
                                  "{\"command\":\"1\",\"info\":[{\"Ssid\":\"x\\\\\"}]}"
                                  "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\"}";
        ControlMessageSplitter whole;
        const Messages expected = whole.feed(stream).messages;
        QCOMPARE(expected.size(), 3);
        for (int cut = 1; cut < stream.size(); ++cut) {
            ControlMessageSplitter splitter;
            QCOMPARE(feedAll(splitter, {stream.left(cut), stream.mid(cut)}), expected);
            QCOMPARE(splitter.pendingBytes(), 0);
        }
        ControlMessageSplitter byteByByte;
        Messages messages;
        for (char c : stream)
            messages += byteByByte.feed(QByteArray(1, c)).messages;
        QCOMPARE(messages, expected);
    }

    void garbageIsCountedNotKept()
    {
        ControlMessageSplitter splitter;
        const auto result = splitter.feed("not json at all");
        QVERIFY(result.messages.isEmpty());
        QCOMPARE(result.discardedBytes, qsizetype(12)); // spaces are not counted
        QCOMPARE(splitter.pendingBytes(), 0);
    }

    void unfinishedMessageIsBounded()
    {
        ControlMessageSplitter splitter;
        QByteArray huge = "{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes, 'x');
        const auto result = splitter.feed(huge);
        QVERIFY(result.overflowed);
        QVERIFY(result.messages.isEmpty());
        QCOMPARE(splitter.pendingBytes(), 0);

        // Endless nesting is bounded the same way and the channel recovers afterwards.
        ControlMessageSplitter nested;
        bool overflowed = false;
        for (int i = 0; i < 100; ++i)
            overflowed |= nested.feed(QByteArray(4096, '[')).overflowed;
        QVERIFY(overflowed);
        QVERIFY(nested.pendingBytes() <= ControlMessageSplitter::MaxMessageBytes);
        nested.clear();
        QCOMPARE(nested.feed("{\"command\":\"4\"}").messages.size(), 1);
    }

    void completeButOversizedMessageIsDropped()
    {
        ControlMessageSplitter splitter;
        const QByteArray big =
            "{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes, 'x') + "\"}";
        const auto result = splitter.feed(big + "{\"command\":\"4\"}");
        QVERIFY(result.overflowed);
        // The tail of the dropped message is skipped as garbage; the next one survives.
        QCOMPARE(result.messages, Messages{"{\"command\":\"4\"}"});
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestControlMessageSplitter)
#include "tst_controlmessagesplitter.moc"

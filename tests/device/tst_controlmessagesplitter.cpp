#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

using Messages = QList<QByteArray>;

class TestControlMessageSplitter : public QObject
{
    Q_OBJECT

private slots:
    // Wherever TCP cuts the stream, the same messages come out.
    void everySplitPointGivesTheSameMessages()
    {
        const Messages expected{
            "{\"command\":\"0\",\"info\":\"OK\"}",
            // Brackets and an escaped quote inside texts do not end it; an escaped
            // backslash does not hide the closing quote.
            "{\"command\":\"1\",\"info\":[{\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}]\\\\\"}]}",
            "[1,{}]", "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\"}"};
        const QByteArray stream = "\r\n xx" + expected.at(0) + "garbage}]" + expected.at(1) +
                                  expected.at(2) + "\n" + expected.at(3) + "{\"truncated\":";
        for (int cut = 0; cut <= stream.size(); ++cut) {
            ControlMessageSplitter splitter;
            Messages messages = splitter.feed(stream.left(cut)).messages;
            messages += splitter.feed(stream.mid(cut)).messages;
            QCOMPARE(messages, expected);
        }
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

#pragma once

#include <QByteArray>
#include <QList>

// Cuts the control channel's byte stream into whole JSON objects. The device
// writes compact objects back to back with no terminator, and TCP may deliver
// several in one read or one over several reads, so bytes are kept until a
// top-level object closes.
//
// A damaged message (cut short, an unclosed quote) must cost only itself: the
// bytes are checked against the JSON grammar as they arrive, and once the
// unfinished message can no longer become valid JSON, the splitter starts over
// at the next '{' after its start. A message cut where a value was due stays a
// valid beginning and would swallow the next messages as values of its own;
// so a read that opens a complete object of its own while the pending one is
// unfinished, or a complete object found inside a message that has stalled
// (`releaseStalled`), also ends the unfinished one.
class ControlMessageSplitter
{
public:
    // An unfinished message longer than this is given up: no reply of the
    // device comes near it, and a peer sending endless bytes must not grow memory.
    static constexpr qsizetype MaxMessageBytes = 64 * 1024;
    // The device nests three levels deep; deeper nesting is taken as garbage.
    // The bound also keeps starting over cheap: a scan from each '{' of a
    // damaged message ends at this depth at the latest.
    static constexpr int MaxDepth = 32;

    struct Result
    {
        QList<QByteArray> messages; // complete objects, in arrival order
        QList<QByteArray> dropped;  // garbage and damaged messages, as they were cut out
        bool overflowed = false;    // an unfinished message exceeded the bound
    };

    Result feed(const QByteArray &bytes);
    // For an unfinished message that has waited a while: if a complete object
    // lies inside it, the unfinished one is given up for that object.
    Result releaseStalled();
    qsizetype pendingBytes() const { return m_pending.size() - m_front; }
    // The unfinished message so far (from its '{'), or empty.
    QByteArray pending() const { return m_pending.mid(m_front); }
    void clear();

private:
    // Follows the JSON grammar through one object that starts at `start`.
    class Scanner
    {
    public:
        enum Outcome { Unfinished, Complete, Invalid };

        explicit Scanner(qsizetype start = -1) : m_start(start), m_pos(start) {}
        bool isActive() const { return m_start >= 0; }
        qsizetype start() const { return m_start; }
        qsizetype end() const { return m_pos; } // one past the closing brace once complete
        void shift(qsizetype by)
        {
            if (isActive()) {
                m_start -= by;
                m_pos -= by;
            }
        }
        Outcome advance(const QByteArray &bytes);

    private:
        enum Expect { Value, ValueOrClose, Key, KeyOrClose, Colon, CommaOrClose };
        bool step(char c);
        bool endToken();

        qsizetype m_start;
        qsizetype m_pos;
        Outcome m_outcome = Unfinished;
        QByteArray m_stack; // '{' or '[' per open container
        QByteArray m_token; // number or literal being read
        Expect m_expect = Value;
        bool m_inString = false;
        bool m_keyString = false;
        bool m_escaped = false;
        int m_hexDigits = 0;
    };

    void drain(Result &result);
    // Gives up the pending message: drops everything before the next '{' after `from`.
    void resync(Result &result, qsizetype from = 1);
    void dropFront(Result &result, qsizetype count);
    void removeFront(qsizetype count);
    // Removes the bytes before the front, once per call.
    void compact();

    QByteArray m_pending; // from m_front on: the unfinished message, from its '{'
    qsizetype m_front = 0;
    qsizetype m_lastDropEnd = -1; // where the last dropped piece ended, within one call
    Scanner m_message;            // the unfinished message
    Scanner m_readStart;          // an object opened by a read while a message was unfinished
};

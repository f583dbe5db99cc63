#pragma once

#include <QByteArray>
#include <QList>

// Cuts the control channel's byte stream into whole JSON values. The device
// writes compact objects back to back with no terminator, and TCP may deliver
// several in one read or one over several reads, so bytes are kept until a
// top-level object (or array) closes. Strings and escapes are respected, so a
// brace inside a text does not end a message.
class ControlMessageSplitter
{
public:
    // An unfinished message longer than this is dropped: no reply of the device
    // comes near it, and a peer sending endless bytes must not grow memory.
    static constexpr qsizetype MaxMessageBytes = 64 * 1024;

    struct Result
    {
        QList<QByteArray> messages;   // complete values, in arrival order
        qsizetype discardedBytes = 0; // bytes outside any value (garbage)
        bool overflowed = false;      // an unfinished value exceeded the bound and was dropped
    };

    Result feed(const QByteArray &bytes);
    qsizetype pendingBytes() const { return m_pending.size(); }
    void clear();

private:
    QByteArray m_pending; // the unfinished value, starting at its opening bracket
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
};

#include "device/controlmessagesplitter.h"

void ControlMessageSplitter::clear()
{
    m_pending.clear();
    m_depth = 0;
    m_inString = false;
    m_escaped = false;
}

ControlMessageSplitter::Result ControlMessageSplitter::feed(const QByteArray &bytes)
{
    Result result;
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    const char *data = bytes.constData();

    while (pos < size) {
        if (m_depth == 0) {
            // Between messages: skip until a value opens.
            const char c = data[pos++];
            if (c == '{' || c == '[') {
                m_pending.append(c);
                m_depth = 1;
            } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                ++result.discardedBytes;
            }
            continue;
        }

        // Inside a value: scan up to its end or the end of this read.
        const qsizetype start = pos;
        bool closed = false;
        while (pos < size) {
            const char c = data[pos++];
            if (m_inString) {
                if (m_escaped)
                    m_escaped = false;
                else if (c == '\\')
                    m_escaped = true;
                else if (c == '"')
                    m_inString = false;
            } else if (c == '"') {
                m_inString = true;
            } else if (c == '{' || c == '[') {
                ++m_depth;
            } else if (c == '}' || c == ']') {
                if (--m_depth == 0) {
                    closed = true;
                    break;
                }
            }
        }
        m_pending.append(data + start, pos - start);
        if (m_pending.size() > MaxMessageBytes) {
            // Too long to be a device message (closed or not): drop it whole.
            result.overflowed = true;
            clear();
            continue;
        }
        if (closed) {
            result.messages.append(m_pending);
            clear();
        }
    }
    return result;
}

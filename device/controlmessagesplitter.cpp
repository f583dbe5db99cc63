#include "device/controlmessagesplitter.h"

#include <QJsonDocument>

#include <algorithm>

namespace {

// Literals and numbers are short; a longer run of letters and digits is not JSON.
constexpr qsizetype MaxTokenBytes = 64;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' ||
           c == '-' || c == '.';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool isNumber(const QByteArray &token)
{
    qsizetype i = 0;
    const qsizetype n = token.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && isDigit(token.at(i)))
            ++i;
        return i > from;
    };
    if (i < n && token.at(i) == '-')
        ++i;
    if (i < n && token.at(i) == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < n && token.at(i) == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < n && (token.at(i) == 'e' || token.at(i) == 'E')) {
        ++i;
        if (i < n && (token.at(i) == '+' || token.at(i) == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == n;
}

bool isWholeObject(const QByteArray &bytes)
{
    // The grammar check lets through what only a real parser sees (bad UTF-8, say).
    QJsonParseError error;
    return QJsonDocument::fromJson(bytes, &error).isObject();
}

} // namespace

ControlMessageSplitter::Scanner::Outcome
ControlMessageSplitter::Scanner::advance(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    while (m_outcome == Unfinished && m_pos < size) {
        if (!step(data[m_pos])) {
            m_outcome = Invalid;
            break;
        }
        ++m_pos;
        // The scan starts on the opening brace, so an empty stack means it closed.
        if (m_stack.isEmpty())
            m_outcome = Complete;
    }
    return m_outcome;
}

bool ControlMessageSplitter::Scanner::endToken()
{
    const bool valid =
        m_token == "true" || m_token == "false" || m_token == "null" || isNumber(m_token);
    m_token.clear();
    m_expect = CommaOrClose;
    return valid;
}

bool ControlMessageSplitter::Scanner::step(char c)
{
    if (m_inString) {
        if (m_hexDigits > 0) {
            --m_hexDigits;
            return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        }
        if (m_escaped) {
            m_escaped = false;
            if (c == 'u')
                m_hexDigits = 4;
            return c == 'u' || c == '"' || c == '\\' || c == '/' || c == 'b' || c == 'f' ||
                   c == 'n' || c == 'r' || c == 't';
        }
        if (c == '\\') {
            m_escaped = true;
        } else if (c == '"') {
            m_inString = false;
            m_expect = m_keyString ? Colon : CommaOrClose;
        }
        return true;
    }
    if (!m_token.isEmpty()) {
        if (isTokenChar(c)) {
            m_token.append(c);
            return m_token.size() <= MaxTokenBytes;
        }
        if (!endToken())
            return false;
    }
    if (isSpace(c))
        return true;

    switch (m_expect) {
    case Value:
    case ValueOrClose:
        if (c == '{' || c == '[') {
            if (m_stack.size() >= MaxDepth)
                return false;
            m_stack.append(c);
            m_expect = c == '{' ? KeyOrClose : ValueOrClose;
            return true;
        }
        if (c == ']' && m_expect == ValueOrClose)
            break; // closes an empty array
        if (c == '"') {
            m_inString = true;
            m_keyString = false;
            return true;
        }
        if (c == '-' || isDigit(c) || c == 't' || c == 'f' || c == 'n') {
            m_token.append(c);
            return true;
        }
        return false;
    case Key:
    case KeyOrClose:
        if (c == '}' && m_expect == KeyOrClose)
            break; // closes an empty object
        if (c != '"')
            return false;
        m_inString = true;
        m_keyString = true;
        return true;
    case Colon:
        m_expect = Value;
        return c == ':';
    case CommaOrClose:
        if (c == ',') {
            m_expect = m_stack.endsWith('{') ? Key : Value;
            return true;
        }
        if (c != (m_stack.endsWith('{') ? '}' : ']'))
            return false;
        break;
    }
    // A container closes.
    m_stack.chop(1);
    m_expect = CommaOrClose;
    return true;
}

void ControlMessageSplitter::clear()
{
    m_pending.clear();
    m_front = 0;
    m_message = Scanner();
    m_readStart = Scanner();
}

void ControlMessageSplitter::dropFront(Result &result, qsizetype count)
{
    const QByteArray dropped = m_pending.mid(m_front, count);
    // A run of garbage is given up one '{' at a time; it is reported as one piece.
    if (m_lastDropEnd == m_front && !result.dropped.isEmpty())
        result.dropped.last().append(dropped);
    else if (std::any_of(dropped.cbegin(), dropped.cend(), [](char c) { return !isSpace(c); }))
        result.dropped.append(dropped);
    removeFront(count);
    m_lastDropEnd = m_front;
}

void ControlMessageSplitter::removeFront(qsizetype count)
{
    // Only the front moves here; the bytes go once per call (compact), so
    // giving up a long run of garbage byte by byte costs no copy per byte.
    m_front += count;
    m_message = Scanner();
    if (m_readStart.start() <= m_front) // it lay in what went, or starts the next message itself
        m_readStart = Scanner();
}

void ControlMessageSplitter::compact()
{
    m_pending.remove(0, m_front);
    m_message.shift(m_front);
    m_readStart.shift(m_front);
    m_front = 0;
    m_lastDropEnd = -1;
}

void ControlMessageSplitter::resync(Result &result, qsizetype from)
{
    const qsizetype next = m_pending.indexOf('{', m_front + from);
    dropFront(result, next < 0 ? m_pending.size() - m_front : next - m_front);
}

void ControlMessageSplitter::drain(Result &result)
{
    while (m_front < m_pending.size()) {
        if (m_pending.at(m_front) != '{') {
            resync(result, 0);
            continue;
        }
        if (!m_message.isActive())
            m_message = Scanner(m_front);
        const Scanner::Outcome outcome = m_message.advance(m_pending);
        if (outcome == Scanner::Complete) {
            const QByteArray message = m_pending.mid(m_front, m_message.end() - m_front);
            if (!isWholeObject(message)) {
                resync(result);
                continue;
            }
            result.messages.append(message);
            removeFront(message.size());
            continue;
        }
        if (outcome == Scanner::Invalid) {
            resync(result);
            continue;
        }
        // Unfinished: does the object a later read opened stand on its own?
        if (m_readStart.isActive()) {
            const Scanner::Outcome other = m_readStart.advance(m_pending);
            if (other == Scanner::Complete) {
                // The unfinished message swallowed whole messages; objects it
                // cut short before that one are tried on the way.
                resync(result);
                continue;
            }
            if (other == Scanner::Invalid)
                m_readStart = Scanner();
        }
        return;
    }
}

ControlMessageSplitter::Result ControlMessageSplitter::feed(const QByteArray &bytes)
{
    Result result;
    const qsizetype readStart = m_pending.size();
    m_pending.append(bytes);
    // The newest read that opens an object is the likeliest start of a message;
    // resynchronising walks every '{' in order, so older ones are not skipped.
    if (readStart > 0) {
        qsizetype first = readStart;
        while (first < m_pending.size() && isSpace(m_pending.at(first)))
            ++first;
        if (first < m_pending.size() && m_pending.at(first) == '{')
            m_readStart = Scanner(first);
    }
    drain(result);
    while (m_pending.size() - m_front > MaxMessageBytes) {
        result.overflowed = true;
        resync(result);
        drain(result);
    }
    compact();
    return result;
}

ControlMessageSplitter::Result ControlMessageSplitter::releaseStalled()
{
    Result result;
    // Each complete object found ends the unfinished message before it; what
    // follows it may again be unfinished and hold more.
    for (qsizetype start = m_pending.indexOf('{', m_front + 1); start > m_front;) {
        Scanner inner(start);
        if (inner.advance(m_pending) == Scanner::Complete &&
            isWholeObject(m_pending.mid(start, inner.end() - start))) {
            resync(result, start - m_front);
            drain(result);
            start = m_pending.indexOf('{', m_front + 1);
        } else {
            start = m_pending.indexOf('{', start + 1);
        }
    }
    compact();
    return result;
}

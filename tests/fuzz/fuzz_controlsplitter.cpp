// The control-message splitter on arbitrary bytes in arbitrary reads: memory
// stays bounded, what comes out are whole objects taken in order from the
// stream, and every well-formed message after the last damage comes out
// exactly once, as a plain reference splitter finds them.
#include "device/controlmessagesplitter.h"

#include "fuzzinput.h"
#include "fuzzsupport.h"

#include <QJsonDocument>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace {

using FuzzSupport::check;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' ||
           c == '-' || c == '.';
}

// Qt's reader also takes numbers such as "11." that JSON does not have; the
// splitter holds the device to JSON's grammar here too.
bool isJsonWord(const QByteArray &word)
{
    static const QRegularExpression number(
        QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    return word == "true" || word == "false" || word == "null" ||
           number.match(QString::fromLatin1(word)).hasMatch();
}

bool isEscapeChar(char c)
{
    return c == '"' || c == '\\' || c == '/' || c == 'b' || c == 'f' || c == 'n' || c == 'r' ||
           c == 't' || c == 'u';
}

// Where the object opening at `start` closes, counting braces outside
// strings. Beyond the splitter's bounds (size, nesting, length of numbers and
// literals), at an escape or a number JSON does not have, it is damage; the
// scan stops there, which keeps it cheap.
struct Candidate
{
    enum Kind { Closed, Unclosed, OutOfBounds } kind = Unclosed;
    qsizetype end = -1; // one past the closing brace
};

Candidate scanCandidate(const QByteArray &s, qsizetype start)
{
    const qsizetype limit = std::min(s.size(), start + ControlMessageSplitter::MaxMessageBytes);
    int braces = 0;
    int nesting = 0;
    qsizetype token = 0;
    bool inString = false;
    for (qsizetype i = start; i < limit; ++i) {
        const char c = s.at(i);
        if (inString) {
            // Qt's reader takes an unknown escape such as \k as the letter;
            // the splitter holds the device to JSON's own escapes.
            if (c == '\\') {
                if (++i < limit && !isEscapeChar(s.at(i)))
                    return {Candidate::OutOfBounds};
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (isTokenChar(c)) {
            if (++token > 64)
                return {Candidate::OutOfBounds};
            continue;
        }
        if (token > 0 && !isJsonWord(s.mid(i - token, token)))
            return {Candidate::OutOfBounds};
        token = 0;
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            braces += c == '{';
            if (++nesting > ControlMessageSplitter::MaxDepth)
                return {Candidate::OutOfBounds};
        } else if (c == '}' || c == ']') {
            --nesting;
            if (c == '}' && --braces == 0)
                return {Candidate::Closed, i + 1};
        }
    }
    return {limit < s.size() ? Candidate::OutOfBounds : Candidate::Unclosed};
}

// A read that starts with an object inside an unfinished message may end that
// message: the splitter cannot tell a nested value from a new message after a
// cut one, and takes the new message.
bool readOpensObjectInside(const QByteArray &s, qsizetype start, qsizetype end,
                           const QList<qsizetype> &reads)
{
    for (const qsizetype read : reads) {
        if (read <= start || read >= end)
            continue;
        qsizetype first = read;
        while (first < end && isSpace(s.at(first)))
            ++first;
        if (first < end && s.at(first) == '{')
            return true;
    }
    return false;
}

struct Reference
{
    QList<QByteArray> messages; // after the last damage, in order
    qsizetype tailStart = 0;    // an unfinished message at the end, or the end
};

Reference referenceSplit(const QByteArray &s, const QList<qsizetype> &reads)
{
    Reference ref;
    ref.tailStart = s.size();
    qsizetype p = 0;
    while (p < s.size()) {
        const char c = s.at(p);
        if (isSpace(c)) {
            ++p;
            continue;
        }
        if (c != '{') {
            ref.messages.clear();
            ++p;
            continue;
        }
        const Candidate candidate = scanCandidate(s, p);
        if (candidate.kind == Candidate::Unclosed) {
            ref.tailStart = p;
            break;
        }
        const QByteArray m =
            candidate.kind == Candidate::Closed ? s.mid(p, candidate.end - p) : QByteArray();
        if (!m.isEmpty() && QJsonDocument::fromJson(m).isObject() &&
            !readOpensObjectInside(s, p, candidate.end, reads)) {
            ref.messages.append(m);
            p = candidate.end;
        } else {
            ref.messages.clear();
            ++p;
        }
    }
    return ref;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::setUp();
    FuzzInput input(data, size, 4096, 96 * 1024);
    ControlMessageSplitter splitter;
    QByteArray stream;
    QList<qsizetype> reads;
    QList<QByteArray> out;
    while (!input.atEnd()) {
        const QByteArray read = input.nextRead();
        reads.append(stream.size());
        stream.append(read);
        out.append(splitter.feed(read).messages);
        check(splitter.pendingBytes() <= ControlMessageSplitter::MaxMessageBytes,
              "pending bytes above the bound");
    }
    const Reference ref = referenceSplit(stream, reads);
    const QByteArray tail = stream.mid(ref.tailStart);
    out.append(splitter.releaseStalled().messages);

    // Whole objects, each taken from the stream after the one before.
    qsizetype at = 0;
    for (const QByteArray &m : out) {
        check(QJsonDocument::fromJson(m).isObject(), "a message that is no JSON object", m);
        const qsizetype found = stream.indexOf(m, at);
        check(found >= 0, "a message out of order, twice, or not in the stream", m);
        at = found + m.size();
    }

    // The reference's messages close the output; only objects found inside
    // the unfinished message at the end may follow them.
    qsizetype extras = 0;
    bool matched = false;
    const qsizetype n = ref.messages.size();
    for (;;) {
        const qsizetype from = out.size() - extras - n;
        if (from >= 0 && out.mid(from, n) == ref.messages) {
            matched = true;
            break;
        }
        if (extras == out.size() || !tail.contains(out.at(out.size() - 1 - extras)))
            break;
        ++extras;
    }
    QByteArray detail;
    if (!matched) {
        detail = "expected last:\n";
        for (const QByteArray &m : ref.messages)
            detail += m + '\n';
        detail += "got:\n";
        for (const QByteArray &m : out)
            detail += m + '\n';
    }
    check(matched, "a well-formed message after the last damage is missing", detail);
    return 0;
}

#include "stream/mjpegframeextractor.h"

#include <QByteArrayView>

#include <algorithm>

namespace {

const QByteArrayView StartOfImage("\xFF\xD8", 2);
const QByteArrayView EndOfImage("\xFF\xD9", 2);
const QByteArrayView HeaderEnd("\r\n\r\n");

// The value of a "Content-Length" header in a part's header block, or -1.
qsizetype contentLength(QByteArrayView headers)
{
    qsizetype lineStart = 0;
    qsizetype length = -1;
    while (lineStart < headers.size()) {
        qsizetype lineEnd = headers.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = headers.size();
        const QByteArrayView line = headers.sliced(lineStart, lineEnd - lineStart).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            line.first(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qlonglong value = line.sliced(colon + 1).trimmed().toLongLong(&ok);
            length = ok && value >= 0 ? qsizetype(value) : -1;
        }
        lineStart = lineEnd + 1;
    }
    return length;
}

} // namespace

qsizetype MjpegFrameExtractor::Search::find(QByteArrayView buffer, QByteArrayView pattern,
                                            qsizetype from)
{
    if (found >= 0)
        return found;
    // A marker may straddle the end of what was searched before.
    const qsizetype at = buffer.indexOf(pattern, std::max(from, searchedTo - pattern.size() + 1));
    if (at >= 0)
        found = at;
    else
        searchedTo = buffer.size();
    return at;
}

MjpegFrameExtractor::Result MjpegFrameExtractor::takeNewestFrame()
{
    Result result;
    // Frames are located first and the buffer is cut once at the end, so a
    // burst of stale frames costs neither copies nor repeated moves.
    qsizetype consumed = 0;
    qsizetype newestStart = -1;
    qsizetype newestLength = 0;
    for (;;) {
        const Cut cut = cutOne(QByteArrayView(m_buffer).sliced(consumed), m_searches);
        if (cut.dropAll) {
            result.droppedBytes += m_buffer.size() - consumed - cut.keepTail;
            consumed = m_buffer.size() - cut.keepTail;
            m_searches = {};
        }
        if (cut.frameLength <= 0)
            break;
        m_searches = {};
        newestStart = consumed + cut.frameStart;
        newestLength = cut.frameLength;
        consumed += cut.consumed;
        ++result.frames;
    }
    if (newestStart >= 0)
        result.newest = m_buffer.mid(newestStart, newestLength);
    m_buffer.remove(0, consumed);
    return result;
}

MjpegFrameExtractor::Cut MjpegFrameExtractor::cutOne(QByteArrayView buffer,
                                                     Searches &searches) const
{
    Cut cut;
    const qsizetype start = searches.start.find(buffer, StartOfImage, 0);
    // Only a header end before the image matters; none can end inside the marker.
    const qsizetype headerEnd =
        searches.headerEnd.find(start >= 0 ? buffer.first(start) : buffer, HeaderEnd, 0);

    // A header block that ends before any image data describes the next part.
    if (headerEnd >= 0 && (start < 0 || headerEnd < start)) {
        const qsizetype length = contentLength(buffer.first(headerEnd));
        if (length > 0 && length <= m_maxFrameBytes) {
            const qsizetype bodyStart = headerEnd + HeaderEnd.size();
            if (buffer.size() - bodyStart >= length) {
                cut.frameStart = bodyStart;
                cut.frameLength = length;
                cut.consumed = bodyStart + length;
            }
            return cut;
        }
    }

    if (start < 0) {
        // Nothing that could become a frame yet. Keep a short tail: it may be
        // the first half of a marker or of a header still arriving.
        if (buffer.size() > m_maxPreambleBytes) {
            cut.dropAll = true;
            cut.keepTail = 1;
        }
        return cut;
    }

    const qsizetype end = searches.end.find(buffer, EndOfImage, start + StartOfImage.size());
    if (end < 0) {
        if (buffer.size() - start > m_maxFrameBytes)
            cut.dropAll = true;
        return cut;
    }
    cut.frameStart = start;
    cut.frameLength = end + EndOfImage.size() - start;
    cut.consumed = end + EndOfImage.size();
    return cut;
}

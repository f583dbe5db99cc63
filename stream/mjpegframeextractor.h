#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Cuts JPEG frames out of an MJPEG HTTP body. A part that announces its size
// ("Content-Length" in its headers) is cut by that size, which stays right for
// JPEGs that embed a thumbnail with markers of its own; otherwise a frame runs
// from the start-of-image marker FF D8 to the next end-of-image marker FF D9.
// Bytes before a frame (boundaries, part headers) are dropped with it.
class MjpegFrameExtractor
{
public:
    // Larger than any frame the camera sends at its highest resolution; a
    // frame still unfinished beyond this is dropped.
    static constexpr qsizetype MaxFrameBytes = 8 * 1024 * 1024;
    // Part headers are a few lines; this many bytes without any frame start
    // or header end are noise and are dropped.
    static constexpr qsizetype MaxPreambleBytes = 64 * 1024;

    // Smaller bounds let a fuzzer reach them in a few kilobytes.
    explicit MjpegFrameExtractor(qsizetype maxFrameBytes = MaxFrameBytes,
                                 qsizetype maxPreambleBytes = MaxPreambleBytes)
        : m_maxFrameBytes(maxFrameBytes), m_maxPreambleBytes(maxPreambleBytes)
    {
    }

    struct Result
    {
        QByteArray newest;          // the last complete frame, or empty
        int frames = 0;             // complete frames cut in this call, newest included
        qsizetype droppedBytes = 0; // bytes discarded by the bounds above
    };

    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    // Cuts every complete frame in the buffer; only the newest is handed out,
    // the older ones are stale by the time they could be shown.
    Result takeNewestFrame();
    qsizetype bufferedBytes() const { return m_buffer.size(); }
    void clear()
    {
        m_buffer.clear();
        m_searches = {};
    }

private:
    // A first-occurrence search over the buffer that remembers how far it got:
    // bytes only ever arrive at the end, so a frame coming in many small reads
    // is searched once, not once per read.
    struct Search
    {
        qsizetype found = -1;
        qsizetype searchedTo = 0;
        qsizetype find(QByteArrayView buffer, QByteArrayView pattern, qsizetype from);
    };
    // The searches of the cut that begins at the buffer's front.
    struct Searches
    {
        Search start;
        Search headerEnd;
        Search end;
    };
    // Where the first frame of `buffer` lies, or what to drop when none can complete.
    struct Cut
    {
        qsizetype frameStart = 0;
        qsizetype frameLength = 0; // 0: no complete frame
        qsizetype consumed = 0;    // bytes up to the end of the frame
        bool dropAll = false;      // the bytes exceed a bound: drop all but keepTail
        qsizetype keepTail = 0;
    };
    Cut cutOne(QByteArrayView buffer, Searches &searches) const;

    qsizetype m_maxFrameBytes;
    qsizetype m_maxPreambleBytes;
    QByteArray m_buffer;
    Searches m_searches; // of the buffer as it stands, valid until its front moves
};

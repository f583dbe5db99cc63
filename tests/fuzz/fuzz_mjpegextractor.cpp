// The MJPEG frame extractor on arbitrary part headers, boundaries, lengths
// and reads: the buffer stays bounded and every frame handed out is whole.
#include "stream/mjpegframeextractor.h"

#include "fuzzinput.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using FuzzSupport::check;
    FuzzSupport::setUp();
    // The bounds scaled down, so that runs of a few kilobytes reach them and
    // an input costs milliseconds, not the seconds of an 8 MB frame.
    constexpr qsizetype FrameBound = 64 * 1024;
    constexpr qsizetype PreambleBound = 4 * 1024;
    FuzzInput input(data, size, 4 * 1024, FrameBound + 16 * 1024);
    MjpegFrameExtractor extractor(FrameBound, PreambleBound);
    while (!input.atEnd()) {
        const QByteArray read = input.nextRead();
        extractor.append(read);
        const MjpegFrameExtractor::Result result = extractor.takeNewestFrame();
        check(result.newest.size() <= FrameBound, "frame above the bound");
        check((result.frames > 0) == !result.newest.isEmpty(), "frame count and frame disagree");
        check(result.droppedBytes >= 0, "negative drop count");
        // What is left is at most a part's headers and one frame in progress,
        // plus the read that has just arrived.
        const qsizetype bound = PreambleBound + FrameBound + read.size() + 4;
        check(extractor.bufferedBytes() <= bound, "buffer above the bound",
              QByteArray::number(extractor.bufferedBytes()));
        // A second look without new bytes finds nothing new.
        check(extractor.takeNewestFrame().frames == 0, "a frame left behind");
    }
    return 0;
}

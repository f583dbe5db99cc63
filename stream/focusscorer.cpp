#include "stream/focusscorer.h"

#include "stream/focusmeasure.h"

namespace {

// One frame measured and one waiting are enough to keep up at 60 fps.
constexpr int MaxQueued = 2;

} // namespace

FocusScorer::FocusScorer()
{
    m_pool.setMaxThreadCount(1);
}

FocusScorer::~FocusScorer()
{
    m_pool.clear();
    m_pool.waitForDone();
}

FocusScorer::Score FocusScorer::measure(const QByteArray &jpeg)
{
    auto score = std::make_shared<std::atomic<double>>(Pending);
    if (m_queued->load() >= MaxQueued)
        return score;
    ++*m_queued;
    // The bytes are shared with the frame, not copied.
    m_pool.start([jpeg, score, queued = m_queued] {
        score->store(FocusMeasure::score(jpeg));
        --*queued;
    });
    return score;
}

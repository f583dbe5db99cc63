#pragma once

#include <QString>

#include <functional>

class QWidget;

// Runs a long piece of file work without freezing the window: `job` runs on a
// worker thread while this thread waits in a local event loop that keeps
// painting but holds user input back. Work that takes longer than a moment
// shows a modal card with `text` over `parent`'s window until it is done.
// `job` must touch no widget. Returns what `job` returned.
class BusyOverlay
{
public:
    static bool run(QWidget *parent, const QString &text, const std::function<bool()> &job);

    // For work that takes long by nature (a backup of gigabytes): the card
    // shows at once with a progress bar, fed by `progress` (per mille, polled
    // from this thread while the job runs), and a Cancel button that calls
    // `cancel`, after which the job is expected to stop soon and clean up.
    static bool runCancellable(QWidget *parent, const QString &text,
                               const std::function<bool()> &job,
                               const std::function<int()> &progress,
                               const std::function<void()> &cancel);

    // How long work may take before the card shows.
    static constexpr int ShowAfterMs = 300;
};

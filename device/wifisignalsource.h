#pragma once

#include <QObject>

// Where the signal quality of the current WiFi connection comes from. Each
// platform asks its own system tool; the answer always arrives later through
// the event loop, so a poll never blocks the window.
class WifiSignalSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Ends measurements still running; their answers are of no use any more.
    ~WifiSignalSource() override;

    // Starts one measurement. Measurements may overlap; each reports once,
    // unless its tool cannot run at all.
    virtual void requestPercent() = 0;

    // The source for the platform the program runs on.
    static WifiSignalSource *create(QObject *parent);

signals:
    // 0..100, or -1 when there is no wireless connection.
    void percentMeasured(int percent);
};

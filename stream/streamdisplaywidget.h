#pragma once

#include "stream/framecomposer.h"
#include "stream/framering.h"
#include "stream/imageorientation.h"
#include "stream/mjpegframeextractor.h"
#include "stream/zoompan.h"

#include <QByteArray>
#include <QImage>
#include <QNetworkReply>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QNetworkAccessManager;
class QTimer;

// The otoscope's live picture: requests the MJPEG stream, shows its newest
// frame scaled into a rounded frame, and a status text while there is none.
// It restarts the request when frames stop (3 s) or the network fails (2 s).
// The picture can be turned, zoomed (view only) and frozen while the stream
// runs on underneath.
class StreamDisplayWidget : public QWidget
{
    Q_OBJECT

public:
    enum StreamState : qint32 { Idle = 0, InvalidUrl = 1, Stopped = 2, NetworkError = 3 };

    static constexpr int FrameTimeoutMs = 3000;
    static constexpr int ErrorRetryDelayMs = 2000;

    explicit StreamDisplayWidget(QWidget *parent = nullptr);
    ~StreamDisplayWidget() override;

    void startStream(const QString &url);
    void stopStream();
    void resetStream();
    // True while a request runs (for a follower: while its source's runs).
    bool isPlaying() const;
    // Shows what `source` receives instead of requesting a stream of its own:
    // its frames, composed at this view's size, and its status texts. Many
    // cameras serve one client at a time, so a second view of the same camera
    // must not ask for a second stream. Null ends the following.
    void followStream(StreamDisplayWidget *source);
    // Colour of the status texts ("Connecting…"); dark by default, for the
    // white page.
    void setStatusTextColor(const QString &color);
    // While the device's control link is up, a view without a picture says that
    // the picture is on its way rather than that there is no device.
    void setDeviceLinkUp(bool up);
    // The picture the view shows (view size, rounded corners), or null while it shows text.
    QPixmap currentFrame() const;
    // The newest shown frame at camera resolution, or null while the view shows text.
    QImage latestFrame() const;
    // The frames shown during the last half second, as received, oldest
    // first (for a follower: its source's); empty while the view shows text.
    const FrameRing &recentFrames() const;

    // How the picture is turned; the frozen or last picture is turned at once.
    void setOrientation(const ImageOrientation &orientation);
    ImageOrientation orientation() const { return m_orientation; }

    // Zoom of this view only (1x to 4x): the mouse wheel zooms around the
    // pointer and a drag pans; these do the same for keys.
    void zoomBy(qreal steps, const QPointF &around);
    void zoomBy(qreal steps);
    void resetZoom();
    qreal zoom() const { return m_zoom.zoom(); }
    const ZoomPan &zoomPan() const { return m_zoom; }

    // Holds the shown picture while the stream goes on underneath (frames
    // keep arriving, so there is no timeout and no reconnect); captures take
    // the held frame. Unfreezing shows the newest frame. A follower freezes
    // its source. Needs a picture: false when there is none to hold.
    bool setFrozen(bool frozen);
    bool isFrozen() const;

    // A widget kept at the picture's top-right corner (the view's tools).
    void setCornerWidget(QWidget *widget);

    StreamState state() const { return m_state; }
    QString streamUrl() const { return m_streamUrl; }
    // Frames decoded so far (each read decodes at most one, however many arrived).
    int decodedFrameCount() const { return m_decodedFrames; }

signals:
    void doubleClicked();
    // A frame was put on screen; `jpeg` is the frame as received.
    void frameShown(const QByteArray &jpeg);
    // A status text replaced the picture.
    void textShown();
    void frozenChanged(bool frozen);
    void zoomChanged(qreal zoom);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private slots:
    void onReadyRead();
    void onError(QNetworkReply::NetworkError error);
    void retranslate();
    void onFrameTimeout();

private:
    void dropReply(bool abort = true);
    void showStateText(StreamState state);
    bool awaitsPicture() const { return m_deviceLinkUp || !m_streamUrl.isEmpty(); }
    void showFrame(const QByteArray &jpeg);
    // Composes `jpeg` as this view shows it; false when it does not decode.
    bool composeFrame(const QByteArray &jpeg);
    // The shown frame again, after a turn, zoom or pan.
    void recompose();
    void showSourceText();
    void onSourceFrozenChanged(bool frozen);
    void endFreeze();
    void updateFrozenLook();
    void placeOverlays();
    void updateCursor();

    QLabel *m_label = nullptr;
    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    MjpegFrameExtractor m_extractor;
    bool m_playing = false;
    StreamState m_state = Idle;
    QString m_streamUrl;
    QTimer *m_frameTimer = nullptr;
    QTimer *m_retryTimer = nullptr;
    bool m_deviceLinkUp = false;
    QPointer<StreamDisplayWidget> m_source;

    FrameComposer m_composer;
    QByteArray m_latestJpeg; // the frame on screen, as received
    FrameRing m_recentFrames;
    FocusScorer m_focusScorer;
    mutable QImage m_latestFrame; // its full-size picture, once decoded
    int m_decodedFrames = 0;

    ImageOrientation m_orientation;
    ZoomPan m_zoom;
    QPoint m_dragFrom;
    bool m_dragging = false;

    bool m_frozen = false;
    QByteArray m_pendingJpeg; // the newest frame that arrived while frozen
    bool m_textDue = false;   // the stream failed while frozen
    QFrame *m_frozenBorder = nullptr;
    QFrame *m_frozenMarker = nullptr;
    QLabel *m_frozenText = nullptr;
    QWidget *m_cornerWidget = nullptr;
};

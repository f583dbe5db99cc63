#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>

class QLabel;
class QPushButton;
class QScreen;
class QTimer;
class StreamDisplayWidget;

// A frameless black window covering the screen its parent is on, with an exit
// button at the top right, showing either one photo (whole, fitted inside,
// black bars where the aspect ratios differ) or the live picture of another view.
// Nothing in it asks for more room than the screen has, so the window is
// exactly the screen's size.
class FullscreenViewer : public QDialog
{
    Q_OBJECT

public:
    explicit FullscreenViewer(QWidget *parent, const QString &exitDefaultText);

    // Shows `photo` as the content.
    void setPhoto(const QImage &photo);
    // Puts a live view (child of the viewer) in as the content, showing what
    // `source` receives over the source's own connection. It lets go of the
    // source when the viewer closes; a double-click on it closes the viewer.
    StreamDisplayWidget *setLiveView(StreamDisplayWidget *source);
    StreamDisplayWidget *liveView() const { return m_liveView; }
    // Covers the screen the parent is on (the primary screen without a
    // parent) and shows the viewer there.
    void showOnScreen();
    // The screen the viewer belongs on.
    QScreen *targetScreen() const;

    // Shows `preview` small in the bottom-right corner for a moment, so a
    // capture taken here (Space, the device's button) is seen to have worked.
    void showCaptureConfirmation(const QImage &preview);
    QLabel *captureConfirmation() const { return m_captureConfirmation; }

    QLabel *photoLabel() const { return m_photoLabel; }
    QPushButton *exitButton() const { return m_exitButton; }

    // Where a picture of `picture` size goes inside `area`: as large as fits
    // whole, keeping its aspect ratio, centred.
    static QRect fitRect(const QSize &picture, const QRect &area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void renderPhoto();

    QPushButton *m_exitButton = nullptr;
    QLabel *m_photoLabel = nullptr;
    StreamDisplayWidget *m_liveView = nullptr;
    QLabel *m_captureConfirmation = nullptr;
    QTimer *m_confirmationTimer = nullptr;
    QImage m_photo;
};

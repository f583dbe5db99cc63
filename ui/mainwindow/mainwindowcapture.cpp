// Capturing a photo: the capture button, the device's own button and the
// Space key all end in capturePhoto().
#include "ui/mainwindow/mainwindow.h"

#include "device/networkhandler.h"
#include "i18n/langmanager.h"
#include "settings/usersettings.h"
#include "stream/focusmeasure.h"
#include "stream/fullscreenviewer.h"
#include "stream/jpegdecoder.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/transientnotice.h"
#include "ui/mainwindow/photostorage.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>

#include <future>

void MainWindow::onCaptureButtonClicked()
{
    qDebug() << "用户点击拍照按钮";
    if (!m_networkHandler->isConnected()) {
        qDebug() << "设备未连接，无法拍照";
        return;
    }
    capturePhoto();
}

QImage MainWindow::captureFrame(const StreamDisplayWidget *view) const
{
    // A frozen view holds its frame whatever the stream underneath does: the
    // user chose that picture.
    if (view->isFrozen())
        return view->latestFrame();
    // While the view shows a status text (not started, stalled, reconnecting)
    // there is nothing to capture.
    if (!view->isPlaying())
        return {};
    const QList<FrameRing::Frame> &recent = view->recentFrames().frames();
    if (!UserSettings::instance().sharpestCapture() || recent.size() < 2)
        return view->latestFrame();
    const int chosen = FocusMeasure::choose(scoreFrames(recent));
    if (chosen < 0 || chosen == recent.size() - 1)
        return view->latestFrame();
    qDebug() << "选用最清晰的画面:" << recent.size() - 1 - chosen << "帧之前";
    const QImage frame = JpegDecoder::decode(recent.at(chosen).jpeg);
    return frame.isNull() ? view->latestFrame() : frame;
}

// Most frames were measured as they came in; the rest (usually the newest
// one or two) are measured now, on both cores, as the user waits for them.
QList<double> MainWindow::scoreFrames(const QList<FrameRing::Frame> &frames)
{
    QList<double> scores;
    QList<int> missing;
    for (const FrameRing::Frame &frame : frames) {
        const double score = frame.focus ? frame.focus->load() : FocusScorer::Pending;
        if (score == FocusScorer::Pending)
            missing.append(int(scores.size()));
        scores.append(score);
    }
    double *out = scores.data(); // each thread writes its own entries
    const auto measure = [&frames, &missing, out](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            out[missing.at(i)] = FocusMeasure::score(frames.at(missing.at(i)).jpeg);
    };
    const qsizetype half = missing.size() / 2;
    std::future<void> firstHalf;
    if (half > 0)
        firstHalf = std::async(std::launch::async, measure, 0, half);
    measure(half, missing.size());
    if (firstHalf.valid())
        firstHalf.get();
    return scores;
}

void MainWindow::capturePhoto()
{
    // The camera's own frame at the resolution the user chose, not the
    // picture composed for the screen (cropped, scaled, rounded corners).
    const StreamDisplayWidget *view = shownLiveView();
    const QImage frame = captureFrame(view);
    // The photo is turned as the picture on screen is, in its own pixels.
    const ImageOrientation orientation = view->orientation();
    if (frame.isNull()) {
        qDebug() << "无法获取当前画面";
        reportNoPicture();
        return;
    }
    EarPhotoList &photos = currentPhotos();
    const QDateTime now = QDateTime::currentDateTime();
    const QString folder = PhotoStorage::dayFolder(m_photoFolder, now.date());
    QDir().mkpath(folder);
    const QString path = PhotoStorage::capturePath(folder, now, photos.letter());

    // Encoding and writing, the long steps, run beside the preview and the
    // thumbnail list; they touch nothing but the frame (read only) and their
    // own file, and are waited for before the capture ends.
    struct Stored
    {
        QByteArray jpeg;
        bool written = false;
    };
    std::future<Stored> storing = std::async(std::launch::async, [frame, orientation, path] {
        Stored stored{CapturedPhoto::encode(orientation.apply(frame))};
        stored.written = !stored.jpeg.isEmpty() && PhotoStorage::writeFile(path, stored.jpeg);
        return stored;
    });
    const QImage preview = orientation.apply(CapturedPhoto::makePreview(frame));
    const int index = photos.append(CapturedPhoto(QByteArray(), preview));
    qDebug() << (m_leftEarSelected ? "拍照成功，保存到左耳，共" : "拍照成功，保存到右耳，共")
             << photos.size() << "张照片";
    // The thumbnail shows before the file is written. A press of the
    // device's button is only seen here: scroll to the photo and light it up.
    refreshPhotoList();
    showNewPhoto(index);
    if (m_liveViewer && m_liveViewer->isVisible())
        m_liveViewer->showCaptureConfirmation(preview);

    const Stored stored = storing.get();
    if (stored.jpeg.isEmpty()) {
        qDebug() << "无法获取当前画面" << frame.size(); // could not be encoded
        photos.remove({index});
        refreshPhotoList();
        reportNoPicture();
        return;
    }
    CapturedPhoto photo(stored.jpeg, preview);
    if (stored.written) {
        qDebug() << "照片已保存:" << path;
        photo.path = path;
    } else {
        // Kept in memory without a file; it still goes into the order.
        qDebug() << "照片保存失败:" << path;
    }
    photos.replace(index, photo);
    noteWorkspace(); // now that it has its file
}

// The device's button and a foot pedal give no feedback of their own: without
// a word the user would take a failed capture for a photo in the list.
void MainWindow::reportNoPicture()
{
    TransientNotice::showOver(liveNoticeHost(),
                              uiText(QStringLiteral("inspect.capture_failed"),
                                     QStringLiteral("未能拍照：当前没有实时画面")));
}

#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

// A photo over the whole first screen on a dark layer, closed by its
// "Exit Fullscreen" button or Escape.
class PhotoViewer : public QDialog
{
    Q_OBJECT

public:
    explicit PhotoViewer(const QImage &image, QWidget *parent = nullptr);

    // Opens a viewer for `image` and waits until it is closed; a null image opens nothing.
    static void showModal(const QImage &image, QWidget *parent);

private:
    QLabel *m_pictureLabel = nullptr;
    QPushButton *m_exitButton = nullptr;
};

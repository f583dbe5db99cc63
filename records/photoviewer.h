#pragma once

#include "stream/fullscreenviewer.h"

#include <QImage>

// A photo of an order over the whole screen the page is on, on a dark
// layer, closed by its "Exit Fullscreen" button or Escape.
class PhotoViewer : public FullscreenViewer
{
    Q_OBJECT

public:
    explicit PhotoViewer(const QImage &image, QWidget *parent = nullptr);

    // Opens a viewer for `image` and waits until it is closed; a null image opens nothing.
    static void showModal(const QImage &image, QWidget *parent);
};

#pragma once

#include "stream/zoompan.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

class ComparePane;
class QComboBox;
class QLabel;
class QPushButton;

// Two photos side by side at equal size, zoomed and moved together: the same
// spot of the ear canal stays in both views, left against right or today
// against an earlier visit. Each side picks its photo from the same list.
// Covers the window it opens from; it can go full screen.
class PhotoCompareView : public QDialog
{
    Q_OBJECT

public:
    // A photo that can be put on a side: its label in the side's list, and
    // how to get the picture (decoded only when it is shown).
    struct Choice
    {
        QString label;
        std::function<QImage()> load;
    };

    // `first` and `second` index `choices` for the left and the right side.
    PhotoCompareView(const QList<Choice> &choices, int first, int second, QWidget *host);

    // Opens a comparison over `host`'s window and waits until it is closed.
    static void showModal(const QList<Choice> &choices, int first, int second, QWidget *host);

    ComparePane *pane(int side) const { return m_panes[side]; }
    QComboBox *choiceBox(int side) const { return m_boxes[side]; }
    const ZoomPan &zoomPan() const { return m_zoomPan; }
    // Zooms both sides by `steps` (StepFactor each) around `at` in a pane.
    void zoomAt(const QPointF &at, qreal steps);
    void panBy(const QPointF &delta);
    void resetZoom();
    void setFullScreen(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildTopBar();
    void retranslate();
    void showChoice(int side, int index);
    void onPaneResized();
    void refresh();
    void coverHost();

    QList<Choice> m_choices;
    ZoomPan m_zoomPan{ZoomPan::Fit};
    QWidget *m_host = nullptr;
    ComparePane *m_panes[2] = {nullptr, nullptr};
    QComboBox *m_boxes[2] = {nullptr, nullptr};
    QLabel *m_title = nullptr;
    QLabel *m_hint = nullptr;
    QLabel *m_zoomText = nullptr;
    QPushButton *m_zoomOutButton = nullptr;
    QPushButton *m_zoomInButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_fullScreenButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};

#pragma once

#include "records/store/customer.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

class EarlierVisitsBar;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class RoundedCheckBox;

// One order: the customer's data, the order's data and its photos, each with
// a check box choosing it for the printed report. The page never writes the
// store.
class OrderDetailPage : public QWidget
{
    Q_OBJECT

public:
    explicit OrderDetailPage(QWidget *parent = nullptr);

    void showOrder(const Customer &customer);
    // The shown order's notes were saved as `notes`; the photo selection stays.
    void setOrderNotes(const QString &notes);
    const Customer &currentOrder() const { return m_order; }

    // The check box of every photo shown, in photo order.
    const QList<RoundedCheckBox *> &photoCheckBoxes() const { return m_photoChecks; }
    // Positions in the order's photo list of the checked photos, in photo order.
    QList<int> selectedPhotoIndices() const;

    // Opens the full-screen viewer on one of the order's photos; nothing for
    // a photo that does not decode.
    void showPhotoFullScreen(int photoIndex);
    // The same customer's orders made before the shown one, newest first.
    const QList<Customer> &earlierVisits() const { return m_earlierVisits; }
    // Opens the comparison of the order's photos and its earlier visits'
    // (`visit` -1: against the newest); returns when it is closed.
    void openCompare(int visit = -1);

signals:
    void backRequested();
    // The print report button: the host opens the print panel for this page.
    void printRequested();
    // The report notes button: the host opens the notes panel.
    void notesRequested();
    // The export button: the host exports the order's photos and report.
    void exportRequested();

public slots:
    void retranslate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildUi();
    QWidget *buildInfoBox();
    void arrangeInfoGrid(int pairsPerRow);
    void rebuildRecords();
    QWidget *buildRecordItem(int photoIndex);
    void onPhotoCheckToggled();
    void onSelectAllToggled(bool checked);

    Customer m_order;
    QList<Customer> m_earlierVisits;
    // Thumbnails of m_order's photos, decoded once per order; null for photos
    // that are not images.
    QList<QPixmap> m_thumbnails;
    QList<RoundedCheckBox *> m_photoChecks;
    int m_recordColumns = 0;

    QPushButton *m_backButton = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_basicInfoTitle = nullptr;
    QLabel *m_recordsTitle = nullptr;
    QList<QLabel *> m_fieldTitles;
    QList<QLabel *> m_fieldValues;
    QGridLayout *m_infoGrid = nullptr;
    int m_infoPairsPerRow = 0;
    RoundedCheckBox *m_selectAll = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_notesButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QPushButton *m_compareButton = nullptr;
    EarlierVisitsBar *m_earlierBar = nullptr;
    QScrollArea *m_scrollArea = nullptr;
    QWidget *m_recordContainer = nullptr;
    QGridLayout *m_recordGrid = nullptr;
};

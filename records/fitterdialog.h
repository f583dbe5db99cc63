#pragma once

#include "records/store/fitter.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

class QLineEdit;
class QPushButton;

// The card in which the fitter list adds or edits a fitter. It only edits the
// record it was given; the list page stores it.
class FitterDialog : public QDialog
{
    Q_OBJECT

public:
    FitterDialog(QWidget *parent, bool editMode, const Fitter &fitter);

    // The edited record; read it after exec() returned Accepted.
    Fitter fitter() const { return m_editedFitter; }

    struct Sizes
    {
        QSize fixed;
        QSize minimum;
    };
    // The dialog's size on a screen with `available` room (invalid: no screen).
    static Sizes sizesFor(const QRect &available);

public slots:
    void onConfirm();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setGender(const QString &value);

    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_workOrClinicEdit = nullptr;
    QLineEdit *m_clinicEdit = nullptr;
    QPushButton *m_maleButton = nullptr;
    QPushButton *m_femaleButton = nullptr;
    QPushButton *m_privateButton = nullptr;
    Fitter m_editedFitter;
    QPoint m_dragAnchor;
    bool m_dragging = false;
};

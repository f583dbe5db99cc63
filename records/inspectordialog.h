#pragma once

#include "records/store/fitter.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;

// Creates an inspector (ID, name, gender) from the order form without leaving
// it, writes it to fitters.json at once and hands the record back.
class InspectorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit InspectorDialog(QWidget *parent = nullptr);

    // The record written by the last successful confirmation.
    Fitter createdFitter() const { return m_createdFitter; }

    static constexpr int CardWidth = 467;
    static constexpr int CardHeight = 448;

public slots:
    void onConfirm();

private:
    QLabel *addFieldRow(class QVBoxLayout *layout, QWidget *field);
    void onGenderChanged(int index);

    QString m_selectedGender;
    Fitter m_createdFitter;
    QLineEdit *m_idEdit = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QComboBox *m_genderBox = nullptr;
};

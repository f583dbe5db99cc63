#pragma once

#include "records/reportphoto.h"
#include "records/store/customer.h"
#include "records/store/fitter.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// The order form: a new order before an inspection (mode 1), the customer for
// photos already taken (mode 0), or an existing order to change (mode 2).
class SaveReportPage : public QWidget
{
    Q_OBJECT

public:
    enum Mode { FromInspection = 0, NewOrder = 1, EditOrder = 2 };

    explicit SaveReportPage(QWidget *parent = nullptr);

    // Empties the form for `mode`; the inspector chosen last stays chosen.
    void reset(int mode);
    // Fills the form with `order` for editing (mode 2).
    void loadCustomer(const Customer &order);
    // The photos handed over by the inspection page; saved with the order in mode 0.
    void setPhotos(const QList<ReportPhoto> &photos);
    int mode() const { return m_mode; }
    int selectedFitterId() const { return m_selectedFitterId; }

signals:
    void backRequested();
    void reportSaved(const Customer &customer);
    void proceedToInspection(const Customer &draftCustomer);

public slots:
    void onBackClicked();
    void onNewInspectorClicked();
    void onChooseInspectorClicked();
    void onSaveClicked();
    void onNextStepClicked();
    void retranslate();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildUi();
    QLabel *addLabel(QWidget *parent, const char *objectName);
    void reloadFitters();
    void refillInspectorBox();
    void refillGenderBox();
    void applyMode();
    void applyWidths();
    void arrangePersonFields();
    void applyCaptionWidths();
    void onInspectorIndexChanged(int index);
    // The order the form describes, or nothing after telling the user what is missing.
    bool buildValidated(Customer &order);
    const Fitter *findFitter(int id) const;

    QList<Fitter> m_fitters;
    QList<ReportPhoto> m_photos;
    int m_selectedFitterId = -1;
    int m_mode = FromInspection;
    Customer m_editingCustomer;

    QFrame *m_card = nullptr;
    QPushButton *m_backButton = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_step1Label = nullptr;
    QLabel *m_step2Label = nullptr;
    QLabel *m_orderNumberLabel = nullptr;
    QLabel *m_createdLabel = nullptr;
    QLabel *m_createdValue = nullptr;
    QLabel *m_nameLabel = nullptr;
    QGridLayout *m_personGrid = nullptr;
    bool m_personRowsArranged = false;
    bool m_personTwoRows = false;
    QLabel *m_genderLabel = nullptr;
    QLabel *m_phoneLabel = nullptr;
    QLabel *m_birthLabel = nullptr;
    QLabel *m_ageLabel = nullptr;
    QLabel *m_addressLabel = nullptr;
    QLabel *m_notesLabel = nullptr;
    QLabel *m_inspectorLabel = nullptr;
    QLineEdit *m_orderNumberEdit = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QComboBox *m_genderBox = nullptr;
    QLineEdit *m_phoneEdit = nullptr;
    QLineEdit *m_birthEdit = nullptr;
    QLineEdit *m_ageEdit = nullptr;
    QLineEdit *m_addressEdit = nullptr;
    QTextEdit *m_notesEdit = nullptr;
    QPushButton *m_newInspectorButton = nullptr;
    QWidget *m_inspectorRow = nullptr;
    QComboBox *m_inspectorBox = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_nextButton = nullptr;
};

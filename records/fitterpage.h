#pragma once

#include "records/store/fitter.h"

#include <QList>
#include <QString>
#include <QWidget>

class FitterTableHeader;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The inspectors in a paged, searchable table: add, edit and delete them.
// Every change is written to fitters.json at once.
class FitterPage : public QWidget
{
    Q_OBJECT

public:
    explicit FitterPage(QWidget *parent = nullptr);

    // Reads fitters.json again and shows its first page.
    void reloadFitters();

    QList<Fitter> allFitters() const { return m_allFitters; }
    int currentPage() const { return m_currentPage; }
    int pageSize() const { return m_pageSize; }
    QTableWidget *table() const { return m_table; }

public slots:
    void retranslate();
    void onAddClicked();
    void onQueryClicked();
    void onResetClicked();
    void onBatchDeleteClicked();
    void onEditClicked(int fitterId);
    void onPageSizeChanged(int index);
    void onGoClicked();
    void onCheckAllToggled(bool checked);

private:
    void buildUi();
    void refreshTable();
    void fitColumnsToTexts();
    void fillRow(int row, int position);
    void editAt(int position);
    // Positions in the full list of the fitters ticked on the current page.
    QList<int> selectedPositions() const;
    // Writes the list; on failure tells the user and puts `previous` back, so
    // the table never shows what the file does not hold.
    void saveOrRevert(const QList<Fitter> &previous);

    QList<Fitter> m_allFitters;
    QList<int> m_filtered; // positions in m_allFitters, in list order
    int m_currentPage = 1;
    int m_pageSize = 10;
    QString m_searchKeyword;

    QLabel *m_keywordLabel = nullptr;
    QLineEdit *m_searchEdit = nullptr;
    QPushButton *m_searchButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QLabel *m_sectionTitle = nullptr;
    QPushButton *m_batchDeleteButton = nullptr;
    QTableWidget *m_table = nullptr;
    FitterTableHeader *m_header = nullptr;
    QLabel *m_totalPagesLabel = nullptr;
    QComboBox *m_pageSizeBox = nullptr;
    QLabel *m_currentPageLabel = nullptr;
    QLabel *m_jumpLabel = nullptr;
    QLineEdit *m_pageEdit = nullptr;
    QPushButton *m_goButton = nullptr;
};

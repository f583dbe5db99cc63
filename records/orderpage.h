#pragma once

#include "records/store/customer.h"
#include "records/store/orderfilter.h"

#include <QList>
#include <QWidget>

class OrderNumbering;
class OrderTableHeader;
class QBoxLayout;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTableWidget;
class QTimer;
class RoundedCheckBox;

// The order list: search, creation-day range, paging, cards or a table,
// selection and deletion. Page changes are left to the main window through
// the signals.
class OrderPage : public QWidget
{
    Q_OBJECT

public:
    enum ViewMode { CardView = 0, TableView = 1 };

    explicit OrderPage(QWidget *parent = nullptr);

    // Loads every order from the store again, back on page 1.
    void reloadOrders();

    int viewMode() const { return m_viewMode; }
    int currentPage() const { return m_currentPage; }
    int pageSize() const { return m_pageSize; }
    int totalPages() const;
    bool selectAllState() const { return m_selectAllState; }
    const QList<Customer> &allOrders() const { return m_allOrders; }
    bool newestFirst() const { return m_filter.newestFirst; }
    // The orders that passed the last filtering, in the order shown.
    QList<Customer> filteredOrders() const;
    // Ids of the checked cards or rows, in the order shown.
    QList<int> selectedOrderIds() const;

signals:
    void configRequested();
    void editRequested(int customerId);
    void detailRequested(int customerId);

public slots:
    void retranslate();
    void onQueryClicked();
    void onResetClicked();
    void onBatchDeleteClicked();
    // Deletes the first stored order with this id after confirmation.
    void onDeleteClicked(int customerId);
    void onEditClicked(int customerId);
    void onDetailClicked(int customerId);
    void onPageSizeChanged(int index);
    void onGoClicked();
    void onPreviousClicked();
    void onNextClicked();
    // 0: newest first, 1: oldest first; kept while the program runs.
    void onSequenceChanged(int index);
    void onCheckAllToggled(bool checked);
    void onGridViewClicked();
    void onListViewClicked();
    void onSelectAllClicked();
    // Saves the orders that pass the current search as a CSV file chosen by
    // the user.
    void onExportCsvClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct ShownCheck
    {
        RoundedCheckBox *box;
        int storeIndex;
    };

    void buildUi();
    QWidget *buildSearchRow();
    void arrangeSearchRow();
    QWidget *buildViewRow();
    QWidget *buildPaginationRow();
    void buildTable();
    void applyViewButtonLooks();
    void applyLanguageMetrics();

    void refreshView();
    void buildCards(const OrderNumbering &numbering);
    QWidget *buildCard(const Customer &order, int storeIndex, const OrderNumbering &numbering);
    void buildTableRows(const OrderNumbering &numbering);
    void updatePagination();
    QString emptyListText() const;
    void rebuildCardsIfWidthChanged();

    QList<int> selectedStoreIndices() const;
    void deleteFromCard(int storeIndex, int generation);
    // Removes the given orders from the store and the page after the user confirmed.
    void removeOrders(const QList<int> &storeIndices);
    void setAllOrders(const QList<Customer> &orders);
    // Lists the stored orders; while the store cannot be reached the page says
    // so instead of showing an empty list, and asks again every few seconds.
    void loadOrders();
    void onRetryTimeout();

    int m_viewMode = CardView;
    QList<Customer> m_allOrders;
    QList<int> m_filtered; // indices into m_allOrders
    int m_currentPage = 1;
    int m_pageSize = 10;
    OrderFilter m_filter;
    bool m_selectAllState = false;
    // Bumped whenever m_allOrders changes, so a queued card action can tell
    // that the card it came from no longer matches the list.
    int m_generation = 0;
    int m_builtCardColumns = 0;
    bool m_unreachable = false;
    QTimer *m_retryTimer = nullptr;

    QList<ShownCheck> m_cardChecks;
    QList<ShownCheck> m_rowChecks;

    QBoxLayout *m_searchLayout = nullptr;
    QWidget *m_searchTexts = nullptr;
    QWidget *m_searchDates = nullptr;
    QLabel *m_orderNumberLabel = nullptr;
    QLineEdit *m_orderNumberEdit = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLabel *m_phoneLabel = nullptr;
    QLineEdit *m_phoneEdit = nullptr;
    QLabel *m_createdLabel = nullptr;
    QLineEdit *m_startDateEdit = nullptr;
    QLineEdit *m_endDateEdit = nullptr;
    QPushButton *m_queryButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_newOrderButton = nullptr;
    QLabel *m_sectionTitle = nullptr;
    QPushButton *m_gridButton = nullptr;
    QPushButton *m_listButton = nullptr;
    QPushButton *m_selectAllButton = nullptr;
    QPushButton *m_deleteAllButton = nullptr;
    QPushButton *m_exportCsvButton = nullptr;
    QStackedWidget *m_viewStack = nullptr;
    QScrollArea *m_cardArea = nullptr;
    QTableWidget *m_table = nullptr;
    OrderTableHeader *m_header = nullptr;
    QLabel *m_tableEmptyLabel = nullptr;
    QLabel *m_totalPagesLabel = nullptr;
    QComboBox *m_pageSizeBox = nullptr;
    QLabel *m_currentPageLabel = nullptr;
    QPushButton *m_previousButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QComboBox *m_sequenceBox = nullptr;
    QLabel *m_jumpLabel = nullptr;
    QLineEdit *m_pageNumberEdit = nullptr;
    QPushButton *m_goButton = nullptr;
};
